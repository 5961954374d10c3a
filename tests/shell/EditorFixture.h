#pragma once
// What the GUI tests of the editor share: a test picture on disk, starting the real
// application without its start-up picture, and driving its actions.
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QObject>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <string>

#include "shell/CMainFrame.h"
#include "shell/CVandApp.h"
#include "shell/CVandView.h"

namespace quillory::test {

// The test picture: every pixel differs from its neighbours.
QRgb PictureColour(int x, int y);
// A 24-bit BMP of PictureColour.
bool WritePicture(const QString& path, int width, int height);
// A 24-bit BMP of the given colours, rows counted from the top.
bool WritePicture(const QString& path, int width, int height, const std::function<QRgb(int x, int screenY)>& colour);
// A text of the UTF-8 text tables as the widgets show it.
QString Text(const char* utf8);

class EditorFixture : public QObject {
    Q_OBJECT
protected:
    QTemporaryDir m_dir;
    QString m_picture;  // pic.bmp, 100 × 50, made by PrepareFiles
    std::unique_ptr<CVandApp> m_app;

    void PrepareFiles();
    // Starts the editor with the given command line; no test ever waits on a file dialog.
    void Start(const QStringList& arguments);
    // Closes every window without questions and ends the application.
    void Stop();

    CMainFrame* Frame() { return m_app->mainFrame(); }
    CVandView* View() { return Frame()->ActiveView(); }
    CVandDoc& Doc() { return View()->document().doc(); }
    // The name of the step the history list stands at.
    std::string NewestStep();
    QImage Grab();
    // Makes the active view's client exactly the given size.
    void SetClientSize(int width, int height);
    // Gives the active view the keyboard, as a click into the window would.
    void FocusView();
    // Runs an enabled menu item; a missing or disabled one fails the test.
    void Trigger(int id);
    bool Enabled(int id);
    // A left-button drag in the active view's client (window points), through the middle.
    void Drag(QPoint from, QPoint to);
    // Runs the menu item; `inside` works on the open dialog, which it must close. False when
    // the item is missing or disabled, or no such dialog opened.
    template <typename Dialog>
    bool RunDialog(int id, std::function<void(Dialog&)> inside) {
        if (!Enabled(id)) return false;
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            seen = true;
            inside(*dialog);
            // A failed check inside leaves the dialog open: close it, so the test fails at once.
            if (QTest::currentTestFailed() && dialog->isVisible()) dialog->reject();
        });
        Frame()->Action(id)->trigger();
        QCoreApplication::processEvents();
        return seen;
    }
    // Messages shown since the count was taken.
    size_t MessageCount() { return m_app->platform().shownMessages().size(); }
    QString LastMessage() { return QString::fromStdString(m_app->platform().shownMessages().back()); }
};

}  // namespace quillory::test
