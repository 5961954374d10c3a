#include "EditorFixture.h"

#include <QMdiSubWindow>
#include <QtTest>

#include "core/FormatCodes.h"
#include "core/NyZazo.h"

namespace quillory::test {

QRgb PictureColour(int x, int y) { return qRgb(200 - x, 2 * x + 20, 4 * y + 10); }

bool WritePicture(const QString& path, int width, int height) {
    NyZazo picture(width, height, 24, kFormatBmp);
    for (int screenY = 0; screenY < height; ++screenY) {
        uint8_t* row = picture.Row(height - 1 - screenY);
        for (int x = 0; x < width; ++x) {
            const QRgb c = PictureColour(x, screenY);
            row[3 * x] = uint8_t(qBlue(c)), row[3 * x + 1] = uint8_t(qGreen(c)), row[3 * x + 2] = uint8_t(qRed(c));
        }
    }
    return picture.Save(path.toStdString(), kFormatBmp);
}

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
    child->resize(child->size() + (QSize(width, height) - View()->viewport()->size()));
    QCoreApplication::processEvents();
    QCOMPARE(View()->viewport()->size(), QSize(width, height));
}

void EditorFixture::Trigger(int id) {
    QAction* action = Frame()->Action(id);
    QVERIFY2(action, qPrintable(QString("no action %1").arg(id)));
    Frame()->RefreshCommandStates();
    action->trigger();
    QCoreApplication::processEvents();
}

bool EditorFixture::Enabled(int id) {
    Frame()->RefreshCommandStates();
    return Frame()->Action(id)->isEnabled();
}

}  // namespace quillory::test
