// The screen capture on a real X server: the test starts Xvfb and runs its X11 half
// in a child of this program on that display; the editor lists the windows, and a
// window partly left of the screen gives only its visible part, from its offset on.
#include <QApplication>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include "EditorFixture.h"
#include "ModalAnswer.h"
#include "ShellTestMain.h"
#include "core/CommandIds.h"
#include "extras/ExtrasTexts.h"
#include "shell/AcquisitionCommands.h"
#include "shell/DlgCapture.h"
#include "shell/ScreenWindows.h"

using namespace quillory;
using namespace quillory::test;

namespace {

constexpr int kTargetWidth = 200, kTargetHeight = 120, kTargetLeft = -60, kTargetTop = 40;

// Every column and row of the target has its own colour.
QRgb TargetColour(int x, int y) { return qRgb(x, 255 - y, 90); }

class PatternWindow : public QWidget {
public:
    PatternWindow() {
        setWindowTitle("Capture target");
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QImage image(width(), height(), QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, TargetColour(x, y));
        QPainter(this).drawImage(0, 0, image);
    }
};

bool OnX11Display() { return QGuiApplication::platformName() == "xcb"; }

}  // namespace

class ScreenCaptureX11Test : public EditorFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { PrepareFiles(); }
    void cleanup() { Stop(); }

    // Starts a virtual X server and runs captureOnX11 on it in a child process.
    void captureUnderXvfb() {
        if (OnX11Display()) QSKIP("already on X11: captureOnX11 runs here directly");
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty()) QFAIL("Xvfb is missing: install xvfb (bash scripts/setup.sh does)");
        QProcess server;
        // Xvfb picks a free display and writes its number to the given descriptor.
        server.start(xvfb, {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
        QVERIFY(server.waitForStarted(10000));
        QString display;
        for (int i = 0; i < 100 && display.isEmpty(); ++i) {
            server.waitForReadyRead(100);
            display = QString::fromLatin1(server.readAllStandardOutput()).trimmed();
        }
        QVERIFY2(!display.isEmpty(), "Xvfb gave no display");
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", ":" + display);
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.remove("WAYLAND_DISPLAY");
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {"captureOnX11"});
        const bool finished = child.waitForFinished(90000);
        const QByteArray output = child.readAll();
        server.terminate();
        server.waitForFinished(5000);
        QVERIFY2(finished, output.constData());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("PASS   : ScreenCaptureX11Test::captureOnX11()"), output.constData());
    }

    void captureOnX11() {
        if (!OnX11Display()) QSKIP("needs an X11 display; captureUnderXvfb runs it on Xvfb");
        Start({m_picture});
        PatternWindow target;
        target.setGeometry(kTargetLeft, kTargetTop, kTargetWidth, kTargetHeight);
        target.show();
        QVERIFY(QTest::qWaitForWindowExposed(&target));
        QTest::qWait(200);

        // The X server's own list holds the window where it was put.
        const std::vector<ScreenWindow> windows = CaptureCandidates(ListScreenWindows());
        auto found = std::find_if(windows.begin(), windows.end(), [](const ScreenWindow& w) { return w.title == "Capture target"; });
        QVERIFY(found != windows.end());
        QCOMPARE(found->x, kTargetLeft);
        QCOMPARE(found->width, kTargetWidth);

        const int viewsBefore = int(Frame()->Views().size());
        ANSWER_NEXT_MODAL(DlgCapture, [](DlgCapture* dialog) {
            QListWidget* list = dialog->list();
            QCOMPARE(list->item(0)->text(), QString::fromUtf8(texts::kCaptureDesktop));
            const auto items = list->findItems("Capture target", Qt::MatchExactly);
            QCOMPARE(items.size(), 1);
            list->setCurrentItem(items[0]);
            dialog->accept();
        });
        Trigger(cmd::kScreenCapture);
        RETURN_IF_ANSWER_FAILED();
        QTRY_COMPARE(int(Frame()->Views().size()), viewsBefore + 1);
        DocumentSession& captured = View()->document();
        QVERIFY2(QString::fromStdString(captured.title()).startsWith("Captured Image "), captured.title().c_str());
        // Only the part on the screen, from the window's 60th column on.
        QCOMPARE(captured.Width(), kTargetWidth + kTargetLeft);
        QCOMPARE(captured.Height(), kTargetHeight);
        const LayerRecord& layer = captured.doc().Layer(captured.doc().CurrentLayer());
        QCOMPARE(layer.width, captured.Width());
        for (const QPoint p : {QPoint(0, 0), QPoint(10, 5), QPoint(139, 119)}) {
            const uint8_t* pixel = layer.PixelRow(layer.height - 1 - p.y()) + 3 * p.x();
            const QRgb want = TargetColour(p.x() - kTargetLeft, p.y());
            QCOMPARE(qRgb(pixel[2], pixel[1], pixel[0]), want);
        }

        // The desktop: the whole screen.
        const int number = std::atoi(captured.title().c_str() + 15);
        QVERIFY(Frame()->acquisition().Capture(nullptr));
        QCOMPARE(View()->document().Width(), 640);
        QCOMPARE(View()->document().Height(), 480);
        QCOMPARE(QString::fromStdString(View()->document().title()), QString("Captured Image %1").arg(number + 1));

        // A window wholly off the screen gives nothing.
        ScreenWindow gone = *found;
        gone.x = -500;
        const int views = int(Frame()->Views().size());
        QVERIFY(!Frame()->acquisition().Capture(&gone));
        QCOMPARE(int(Frame()->Views().size()), views);
    }
};

QUILLORY_SHELL_TEST(ScreenCaptureX11Test)
#include "ScreenCaptureX11Test.moc"
