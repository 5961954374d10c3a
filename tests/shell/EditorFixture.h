#pragma once
// What the GUI tests of the editor share: a test picture on disk, starting the real
// application without its start-up picture, and driving its actions.
#include <QImage>
#include <QObject>
#include <QTemporaryDir>
#include <memory>

#include "shell/CMainFrame.h"
#include "shell/CVandApp.h"
#include "shell/CVandView.h"

namespace quillory::test {

// The test picture: every pixel differs from its neighbours.
QRgb PictureColour(int x, int y);
// A 24-bit BMP of PictureColour.
bool WritePicture(const QString& path, int width, int height);

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
    QImage Grab();
    // Makes the active view's client exactly the given size.
    void SetClientSize(int width, int height);
    void Trigger(int id);
    bool Enabled(int id);
    // Messages shown since the count was taken.
    size_t MessageCount() { return m_app->platform().shownMessages().size(); }
    QString LastMessage() { return QString::fromStdString(m_app->platform().shownMessages().back()); }
};

}  // namespace quillory::test
