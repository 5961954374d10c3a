#pragma once
// The editor's multiple-document main frame: the menus, accelerators, tool bars
// and dialog bars, the status line and progress bar, the environment settings,
// the current tool and the tool windows. Commands go from every QAction through
// one router: active view, its document, this frame, the application.
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <memory>

#include "core/SaveOptions.h"
#include "shell/CommandRouter.h"
#include "shell/DocumentSession.h"
#include "shell/EnvSettings.h"
#include "shell/MenuTable.h"

class QAction;
class QActionGroup;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QProgressBar;
class QToolBar;

namespace quillory {

class AcquisitionCommands;
class CDlg_Layer;
class DecorationCommands;
class CDlg_OneClickDica;
class PanelCommands;
struct PanelState;
class CVandView;
class DocumentTarget;
class ProcessingCommands;
class StatusFields;
class DlgBar_Thrs;
class MicroCommands;
class ToolCommands;
class ToolSettingsBar;

class CMainFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT
public:
    CMainFrame(std::filesystem::path programDir, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Commands.
    CommandRouter& router() { return m_router; }
    void SetApplicationTarget(CommandTarget* target) { m_appTarget = target; }
    QAction* Action(int id) const { return m_actions.value(id, nullptr); }
    bool Dispatch(int id);
    void RefreshCommandStates();
    QMenu* BuildMenu(const MenuItem& item, QWidget* parent);
    // A menu label as shown: with the text table's replacements on a Japanese desktop.
    QString MenuText(const char* label) const;

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    // Documents and views.
    CVandView* ActiveView() const;
    DocumentSession* ActiveDocument() const;
    QList<CVandView*> Views() const;
    QMdiArea* mdiArea() const { return m_mdi; }
    // Connects a new document's change and history hooks to the windows.
    void AttachDocument(DocumentSession* document);
    CVandView* AddView(std::shared_ptr<DocumentSession> document);
    // The window of a picture just made or opened; shows the layer window when it was hidden.
    CVandView* AddDocumentView(std::shared_ptr<DocumentSession> document);
    bool NewDocument();
    // `prereadPsd`: the picture the open dialog's preview read from that PSD file; `page` picks
    // the page of a multi-page TIFF or the frame of an animated GIF.
    bool OpenDocument(const QString& path, NyZazo* prereadPsd = nullptr, int page = 0);
    bool SaveDocument(DocumentSession& document, bool saveAs);
    // Closes every window of the document, after the save question when it changed.
    bool CloseDocument(DocumentSession* document);
    void UpdateAllViews(DocumentSession* document, int hint);
    // Asked by a child frame that closes on its own: true when it may close.
    bool AskBeforeClosingWindow(CVandView* view);
    void ChildClosed();
    void DocumentChanged(DocumentSession* document);

    // The frame's title: the program's title, then " - " and the active picture's window title.
    void SetFrameTitle(const QString& programTitle);
    QString FrameTitle() const;
    // Child window titles ("name", or "name:1", "name:2" for a picture in several windows) and the frame title.
    void RefreshTitles();

    // State kept for the whole run.
    EnvSettings& env() { return m_env; }
    const std::filesystem::path& programDir() const { return m_programDir; }
    int currentTool() const { return m_currentTool; }
    int previousTool() const { return m_previousTool; }
    void SetCurrentTool(int id);
    NewPictureSettings& newPicture() { return m_newPicture; }
    // The last shadow colour chosen in the layer effect dialog (RGBQUAD order), shared by all pictures.
    int32_t& shadowColour() { return m_shadowColour; }
    // The printer that printing and the page set-up share.
    QPrinter& printer();

    // Tool windows.
    CDlg_Layer* layerWindow() const { return m_layerWindow; }
    void CreateToolWindows();
    void RefreshLayerWindow();
    void ToggleLayerWindow();
    // The quick-edit window: made below the tool bars on first use, then shown or hidden.
    CDlg_OneClickDica* quickEditWindow() const { return m_quickEdit; }
    void ToggleQuickEditWindow();

    // The transform, colour-range and gradient panels and their tools' state.
    PanelCommands& panels() { return *m_panels; }
    PanelState& panelState();
    // The soft-brush option and the two tool sliders; the tool, selection and path commands.
    ToolSettingsBar* toolSettings() const { return m_toolSettings; }
    ToolCommands& toolCommands() { return *m_toolCommands; }
    // The measurement mode: its settings, palette and dialogs.
    MicroCommands& micro() { return *m_micro; }
    // A colour the picker took becomes the foreground colour and its button shows it.
    void SetForegroundColour(int32_t platformColour);
    // Scanning and screen capture.
    AcquisitionCommands& acquisition() { return *m_acquisition; }

    QProgressBar* progressBar() const { return m_progress; }
    DlgBar_Thrs* filterBar() const { return m_filterBar; }
    QLabel* statusLabel() const { return m_status; }
    // The permanent fields: pointer position and colour, zoom, picture size.
    StatusFields* statusFields() const { return m_statusFields; }
    // The folder the open dialog starts in.
    QString OpenFolder() const;
    void AddRecentFile(const QString& path);
    QStringList RecentFiles() const;
    QMenu* fileMenu() const { return m_fileMenu; }
    QMenu* windowMenu() const { return m_windowMenu; }
    // The window menu's list of picture windows, as it is when the menu opens.
    void UpdateWindowMenu();

    // The closing sequence: saves the settings, asks about each modified document.
    // True when every document closed.
    bool CloseAllDocuments();
    // Hooks for tests: the save-as prompt and the dialogs can be answered without showing.
    std::function<QString(const QString& proposed)> savePathPrompt;
    // The save options dialog of a format (false: the save is cancelled).
    std::function<bool(int formatType, SaveOptions& options)> saveOptionsPrompt;
    // The last save options chosen, kept in their settings file.
    const SaveOptions& saveOptions() const { return m_saveOptions; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    // The action of a tool-bar button that has no menu item.
    QAction* ToolBarOnlyAction(int id);
    void UpdateRecentMenu();
    void OnSubWindowActivated(QMdiSubWindow* window);
    bool CloseDocumentWindows(DocumentSession* document, bool ask, bool* cancelled);
    QString PromptSavePath(DocumentSession& document);
    // The options dialog of a format that takes options; false when cancelled.
    bool AskSaveOptions(int formatType);

    std::filesystem::path m_programDir;
    EnvSettings m_env;
    SaveOptions m_saveOptions;
    NewPictureSettings m_newPicture;
    CommandRouter m_router;
    CommandTarget* m_appTarget = nullptr;
    std::unique_ptr<DocumentTarget> m_documentTarget;
    std::unique_ptr<ProcessingCommands> m_processing;
    std::unique_ptr<PanelCommands> m_panels;
    std::unique_ptr<ToolCommands> m_toolCommands;
    std::unique_ptr<MicroCommands> m_micro;
    ToolSettingsBar* m_toolSettings = nullptr;
    std::unique_ptr<DecorationCommands> m_decorations;
    std::unique_ptr<AcquisitionCommands> m_acquisition;
    QMdiArea* m_mdi = nullptr;
    QMap<int, QAction*> m_actions;
    QActionGroup* m_toolGroup = nullptr;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentPlace = nullptr;  // the recent files stand before this (invisible) item
    QList<QAction*> m_recentActions;
    QMenu* m_windowMenu = nullptr;
    QList<QAction*> m_windowActions;
    QString m_programTitle;
    QString m_frameTitle;  // the title RefreshTitles chose
    bool m_applyingTitle = false;
    int32_t m_shadowColour = 0;
    std::unique_ptr<QPrinter> m_printer;
    QList<QToolBar*> m_toolBars;
    QLabel* m_status = nullptr;
    StatusFields* m_statusFields = nullptr;
    QProgressBar* m_progress = nullptr;
    DlgBar_Thrs* m_filterBar = nullptr;
    CDlg_Layer* m_layerWindow = nullptr;  // a child of the frame
    bool m_layerWindowPlaced = false;     // later shows keep the place the user gave it
    CDlg_OneClickDica* m_quickEdit = nullptr;  // a child of the frame
    int m_currentTool = -1;
    int m_previousTool = -1;
    bool m_closing = false;
};

}  // namespace quillory
