#pragma once
// The application: start-up in its fixed order, the platform for the engine,
// and the application's own commands.
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QStringList>
#include <QTranslator>
#include <memory>

#include "shell/CommandRouter.h"
#include "shell/QtPlatform.h"

namespace quillory {

class CMainFrame;

struct StartOptions {
    QStringList arguments;   // the command line after the program name
    bool showSplash = true;  // the start-up picture for 700 ms
    bool maximised = true;
    QSize size{1000, 760};   // the frame's size when not maximised
};

class CVandApp : public QObject, public CommandTarget {
    Q_OBJECT
public:
    CVandApp();
    ~CVandApp() override;

    // Runs the start-up; false ends the process.
    bool InitInstance(const StartOptions& options);

    CMainFrame* mainFrame() const { return m_frame; }
    QtPlatform& platform() { return m_platform; }

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    // Qt's own Korean texts ("열기", "취소", "예", "아니오"); false when they are not installed.
    bool HasQtTranslation() const { return m_qtTranslation != nullptr; }

private:
    void LoadQtTranslation();

    std::unique_ptr<QTranslator> m_qtTranslation;
    QtPlatform m_platform;
    Platform* m_previousPlatform = nullptr;
    CMainFrame* m_frame = nullptr;
};

}  // namespace quillory
