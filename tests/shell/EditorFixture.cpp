#include "EditorFixture.h"

#include <QMdiSubWindow>
#include <QtTest>

#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "document/UndoHistory.h"

namespace quillory::test {

QRgb PictureColour(int x, int y) { return qRgb(200 - x, 2 * x + 20, 4 * y + 10); }

bool WritePicture(const QString& path, int width, int height) { return WritePicture(path, width, height, PictureColour); }

bool WritePicture(const QString& path, int width, int height, const std::function<QRgb(int x, int screenY)>& colour) {
    NyZazo picture(width, height, 24, kFormatBmp);
    for (int screenY = 0; screenY < height; ++screenY) {
        uint8_t* row = picture.Row(height - 1 - screenY);
        for (int x = 0; x < width; ++x) {
            const QRgb c = colour(x, screenY);
            row[3 * x] = uint8_t(qBlue(c)), row[3 * x + 1] = uint8_t(qGreen(c)), row[3 * x + 2] = uint8_t(qRed(c));
        }
    }
    return picture.Save(path.toStdString(), kFormatBmp);
}

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

void EditorFixture::PrepareFiles() {
    QVERIFY(m_dir.isValid());
    m_picture = m_dir.filePath("pic.bmp");
    QVERIFY(WritePicture(m_picture, 100, 50));
}

void EditorFixture::Start(const QStringList& arguments) {
    m_app = std::make_unique<CVandApp>();
    m_app->platform().SetScriptedAnswers({});
    StartOptions options;
    options.arguments = arguments;
    options.showSplash = false;
    options.maximised = false;
    QVERIFY(m_app->InitInstance(options));
    Frame()->savePathPrompt = [](const QString&) { return QString(); };
    QVERIFY(QTest::qWaitForWindowExposed(Frame()));
    QCoreApplication::processEvents();
}

void EditorFixture::Stop() {
    if (m_app && Frame()) {
        for (CVandView* view : Frame()->Views()) view->document().doc().SetModified(false);
        Frame()->close();
    }
    m_app.reset();
}

QImage EditorFixture::Grab() { return View()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

void EditorFixture::SetClientSize(int width, int height) {
    auto* child = qobject_cast<QMdiSubWindow*>(View()->parentWidget());
    child->showNormal();
    // Scroll bars that come or go with the new size take their room: measure again.
    for (int pass = 0; pass < 3 && View()->viewport()->size() != QSize(width, height); ++pass) {
        child->resize(child->size() + (QSize(width, height) - View()->viewport()->size()));
        QCoreApplication::processEvents();
    }
    QCOMPARE(View()->viewport()->size(), QSize(width, height));
}

std::string EditorFixture::NewestStep() { return Doc().History().Entry(Doc().History().StepPosition()).name; }

void EditorFixture::FocusView() {
    Frame()->activateWindow();
    View()->setFocus();
    QCoreApplication::processEvents();
    QVERIFY(View()->hasFocus());
}

void EditorFixture::Trigger(int id) {
    QVERIFY2(Enabled(id), qPrintable(QString("action %1 is missing or disabled").arg(id)));
    Frame()->Action(id)->trigger();
    QCoreApplication::processEvents();
}

bool EditorFixture::Enabled(int id) {
    Frame()->RefreshCommandStates();
    QAction* action = Frame()->Action(id);
    return action && action->isEnabled();
}

void EditorFixture::Drag(QPoint from, QPoint to) {
    QWidget* port = View()->viewport();
    QTest::mousePress(port, Qt::LeftButton, {}, from);
    QTest::mouseMove(port, (from + to) / 2);
    QTest::mouseMove(port, to);
    QTest::mouseRelease(port, Qt::LeftButton, {}, to);
    QCoreApplication::processEvents();
}

}  // namespace quillory::test
