#include "shell/CMainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <cstring>

#include "core/FormatCodes.h"
#include "core/Platform.h"
#include "document/DocumentIO.h"
#include "document/HistoryTexts.h"
#include "document/UndoHistory.h"
#include "document/Utf16.h"
#include "shell/AcquisitionCommands.h"
#include "shell/CChildFrame.h"
#include "shell/DecorationCommands.h"
#include "shell/CDlg_LayerEffect.h"
#include "shell/CDlg_Layer.h"
#include "shell/CDlg_OneClickDica.h"
#include "shell/CDlg_NewImage.h"
#include "shell/BusyWork.h"
#include "shell/CDlg_SaveOptions.h"
#include "shell/SaveFailure.h"
#include "shell/CDlg_SetEnvironment.h"
#include "shell/CVandView.h"
#include "shell/CommandIcons.h"
#include "shell/RecentlyUsed.h"
#include "shell/StatusFields.h"
#include "shell/WindowArrangement.h"
#include "shell/DlgBar_Thrs.h"
#include "shell/Dlg_QvxFile.h"
#include "shell/PanelCommands.h"
#include "shell/ProcessingCommands.h"
#include "shell/MicroCommands.h"
#include "shell/ToolCommands.h"
#include "shell/ToolSettingsBar.h"
#include "document/ToolTexts.h"
#include "document/DocumentTexts.h"
#include "shell/ShellTexts.h"
#include "shell/DesktopTexts.h"
#include "core/CommandIds.h"
#include "view/ViewTool.h"
#include "measure/MeasureTexts.h"

namespace quillory {

namespace {

// A page of a multi-page TIFF or a frame of an animated GIF: writing it back under
// the same name would drop every other page, so Save asks for a name first.
NyZazo* OnePageOfSeveral(DocumentSession& document) {
    NyZazo* composite = document.doc().State().composite.get();
    return composite && composite->frameCount > 1 ? composite : nullptr;
}

constexpr int kRecentFileCount = 9;
constexpr int kRecentFileWidth = 420;  // pixels of a recent file's path in the menu
// Room for a child window's title bar with its buttons, whatever the picture's size.
constexpr QSize kChildMinimumSize(160, 100);
const char* const kRecentSection = "Recent File List";

// The main tool bar: file and edit buttons, then the tools.
const int kMainToolBarIds[] = {cmd::kFileNew,        cmd::kFileOpen,         cmd::kFileSave,       0,
                               cmd::kEditCut,        cmd::kEditCopy,         cmd::kEditPaste,      0,
                               cmd::kEditUndo,       cmd::kEditRedo,         0,                    cmd::kToolMove,
                               cmd::kToolRectSelect, cmd::kToolPolygonSelect, cmd::kToolFreeSelect, cmd::kToolMagicWand,
                               0,                    cmd::kToolDrop,         cmd::kToolBrush,      cmd::kToolLine,
                               cmd::kToolCircle,     cmd::kToolPolyline,     cmd::kToolSpray,      cmd::kToolEraser,
                               cmd::kToolFill,       cmd::kToolDot,          cmd::kToolColourPicker, cmd::kToolText,
                               cmd::kPathPanel,      0,                      cmd::kZoomIn,         cmd::kZoomOut,
                               cmd::kActualSize,     cmd::kFitToWindow,      cmd::kGrid,           0,
                               cmd::kLayerWindow,    cmd::kMeasureTools};

// Registered with the document's commands, but each opens a new document, so the frame runs them.
bool IsSampleCommand(int id) {
    return id == cmd::kLoadJpegSample || id == cmd::kLoadGifSample || id == cmd::kLoadTifSample ||
           id == cmd::kLoadBitmapSample;
}

bool IsExclusiveTool(int id) { return id >= cmd::kExclusiveToolFirst && id <= cmd::kExclusiveToolLast; }

QString Label(const char* text) { return QString::fromUtf8(text); }

// Tool-bar pictures: a short glyph of each command on a tile; menus show them beside the labels.
struct ToolGlyph {
    int id;
    const char* glyph;
};
const ToolGlyph kToolGlyphs[] = {
    {cmd::kFileNew, "새"},         {cmd::kFileOpen, "열"},        {cmd::kFileSave, "저"},
    {cmd::kEditCut, "잘"},         {cmd::kEditCopy, "복"},        {cmd::kEditPaste, "붙"},
    {cmd::kEditUndo, "↶"},         {cmd::kEditRedo, "↷"},         {cmd::kToolMove, "✥"},
    {cmd::kToolRectSelect, "▭"},   {cmd::kToolPolygonSelect, "⬠"}, {cmd::kToolFreeSelect, "자"},
    {cmd::kToolMagicWand, "동"},   {cmd::kToolDrop, "물"},        {cmd::kToolBrush, "붓"},
    {cmd::kToolLine, "╱"},         {cmd::kToolCircle, "○"},       {cmd::kToolPolyline, "⌇"},
    {cmd::kToolSpray, "뿌"},       {cmd::kToolEraser, "지"},      {cmd::kToolFill, "채"},
    {cmd::kZoomIn, "+"},           {cmd::kZoomOut, "−"},          {cmd::kActualSize, "1:1"},
    {cmd::kFitToWindow, "⤢"},      {cmd::kGrid, "#"},             {cmd::kLayerWindow, "층"},
    {cmd::kToolDot, "점"},         {cmd::kToolColourPicker, "추"}, {cmd::kToolText, "T"},
    {cmd::kPathPanel, "경"},      {cmd::kMeasureTools, "측"},
};

// Tool-bar buttons that no menu reaches: their status-line text and tool tip.
struct ToolBarButton {
    int id;
    const char* tip;
};
const ToolBarButton kToolBarOnlyButtons[] = {
    {cmd::kToolDot, shelltexts::kToolDotTip},
    {cmd::kToolColourPicker, shelltexts::kToolColourPickerTip},
    {cmd::kToolText, shelltexts::kToolTextTip},
    {cmd::kPathPanel, texts::kCmdPathPanel},
    {cmd::kMeasureTools, mtexts::kPaletteButtonTip},
};

QIcon GlyphIcon(const char* glyph) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(90, 100, 120));
    painter.setBrush(QColor(236, 240, 246));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 23, 23), 4, 4);
    QFont font = painter.font();
    const QString text = QString::fromUtf8(glyph);
    font.setPixelSize(text.size() > 2 ? 9 : 14);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(30, 40, 70));
    painter.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, text);
    return QIcon(pixmap);
}

const char* GlyphOf(int id) {
    for (const ToolGlyph& g : kToolGlyphs)
        if (g.id == id) return g.glyph;
    return nullptr;
}

QColor FromPlatformColour(int32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
int32_t ToPlatformColour(const QColor& c) { return c.red() | c.green() << 8 | c.blue() << 16; }

// A colour button shows its colour, with a label that stays readable on it.
void StyleColourButton(QToolButton* button, int32_t colour) {
    const QColor c = FromPlatformColour(colour);
    button->setStyleSheet(QString("QToolButton { background: %1; color: %2; }").arg(c.name(), c.lightness() > 128 ? "black" : "white"));
}

}  // namespace

// The active document's commands: saving, closing, printing, and every command
// of the engine's registry (the layer stack and the rest as they arrive).
class DocumentTarget : public CommandTarget {
public:
    explicit DocumentTarget(CMainFrame& frame) : m_frame(frame) {}

    bool OnCommand(int id) override {
        CVandView* view = m_frame.ActiveView();
        if (!view || IsSampleCommand(id)) return false;
        DocumentSession& doc = view->document();
        switch (id) {
            case cmd::kFileSave: m_frame.SaveDocument(doc, false); return true;
            case cmd::kFileSaveAs: m_frame.SaveDocument(doc, true); return true;
            case cmd::kFileClose: m_frame.CloseDocument(&doc); return true;
            case cmd::kFilePrint: {
                QPrinter& printer = m_frame.printer();
                printer.setFromTo(1, 1);
                QPrintDialog dialog(&printer, &m_frame);
                if (dialog.exec() == QDialog::Accepted) view->Print(printer);
                return true;
            }
            case cmd::kLayerRename: {
                const int cur = doc.doc().CurrentLayer();
                if (!LayerStack::IsValidIndex(cur)) return true;
                bool ok = false;
                const QString old = QString::fromStdString(doc.doc().LayerName(cur));
                const QString name =
                    QInputDialog::getText(&m_frame, Label(shelltexts::kRenameLayerTitle),
                                          Label(shelltexts::kRenameLayerTitle), QLineEdit::Normal, old, &ok);
                if (ok && doc.Execute(id, "name", name.toStdString())) m_frame.DocumentChanged(&doc);
                return true;
            }
            case cmd::kLayerEffect: {
                if (!DocumentSession::HasCommand(id)) return false;
                // The dialog starts at the layer's own size and the remembered colour.
                const ShadowDialog dialog = [this](const ShadowSettings& initial) -> std::optional<ShadowSettings> {
                    CDlg_LayerEffect effect(initial, &m_frame);
                    if (effect.exec() != QDialog::Accepted) return std::nullopt;
                    return effect.settings();
                };
                const bool done = LayerEffectCommand(doc.doc(), dialog, m_frame.shadowColour());
                doc.MarkChanged();
                if (done) m_frame.DocumentChanged(&doc);
                return true;
            }
            default: break;
        }
        if (!DocumentSession::HasCommand(id)) return false;
        if (doc.Execute(id)) m_frame.DocumentChanged(&doc);
        return true;
    }

    bool OnUpdateCommand(int id, CommandState& state) override {
        CVandView* view = m_frame.ActiveView();
        if (!view || IsSampleCommand(id)) return false;
        DocumentSession& doc = view->document();
        switch (id) {
            case cmd::kFileSave:
            case cmd::kFileSaveAs:
            case cmd::kFileClose:
            case cmd::kFilePrint: return true;
            case cmd::kEditUndo: state.enabled = DocumentSession::HasCommand(id) && doc.doc().History().CanUndo(); return true;
            case cmd::kEditRedo: state.enabled = DocumentSession::HasCommand(id) && doc.doc().History().CanRedo(); return true;
            case cmd::kEditPaste:
                // Paste needs a picture on the clipboard.
                state.enabled = DocumentSession::HasCommand(id) && QApplication::clipboard()->mimeData() &&
                                QApplication::clipboard()->mimeData()->hasImage();
                return true;
            default: return DocumentSession::HasCommand(id);
        }
    }

private:
    CMainFrame& m_frame;
};

CMainFrame::CMainFrame(std::filesystem::path programDir, QWidget* parent)
    : QMainWindow(parent),
      m_programDir(std::move(programDir)),
      m_documentTarget(std::make_unique<DocumentTarget>(*this)),
      m_processing(std::make_unique<ProcessingCommands>(*this)),
      m_panels(std::make_unique<PanelCommands>(*this)),
      m_toolCommands(std::make_unique<ToolCommands>(*this)),
      m_micro(std::make_unique<MicroCommands>(*this)),
      m_decorations(std::make_unique<DecorationCommands>(*this)),
      m_acquisition(std::make_unique<AcquisitionCommands>(*this)) {
    setObjectName("CMainFrame");
    WatchClosingDialogs();
    m_mdi = new QMdiArea(this);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setBackground(QColor(128, 128, 128));
    setCentralWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);

    m_router.SetChain([this] {
        std::vector<CommandTarget*> chain;
        if (CVandView* view = ActiveView()) chain.push_back(view);
        chain.push_back(m_processing.get());
        chain.push_back(m_panels.get());
        chain.push_back(m_micro.get());
        chain.push_back(m_toolCommands.get());
        chain.push_back(m_decorations.get());
        chain.push_back(m_acquisition.get());
        chain.push_back(m_documentTarget.get());
        chain.push_back(this);
        if (m_appTarget) chain.push_back(m_appTarget);
        return chain;
    });

    // The transparency display starts at 3 before the stored settings are read.
    m_env.transparencyDisplay = kTransparencyDisplayAtStart;
    LoadEnvironment(m_programDir, m_env);
    m_saveOptions = LoadSaveOptions(m_programDir.string());

    CreateActions();
    CreateMenus();
    CreateToolBars();

    m_status = new QLabel(Label(shelltexts::kStatusReady), this);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setMaximumWidth(200);
    m_progress->setTextVisible(false);
    statusBar()->addWidget(m_status, 1);
    m_statusFields = new StatusFields(statusBar());
    statusBar()->addPermanentWidget(m_progress);

    // What every desktop program has: Ctrl+Q quits, buttons show theme icons and tips.
    if (QAction* exit = Action(cmd::kAppExit)) {
        exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        addAction(exit);
    }
    PrepareIconThemes();
    DecorateCommandActions(m_actions.values());

    // The grid starts hidden.
    m_env.gridSpacing = -std::abs(m_env.gridSpacing);

    setAcceptDrops(true);
    qApp->installEventFilter(this);
    SetFrameTitle(Label(shelltexts::kAppTitle));
    RefreshCommandStates();
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    // The picture windows close after the members are gone: they must not call back.
    disconnect(m_mdi, nullptr, this, nullptr);
    m_micro.reset();
}

QPrinter& CMainFrame::printer() {
    if (!m_printer) m_printer = std::make_unique<QPrinter>();
    return *m_printer;
}

void CMainFrame::SetFrameTitle(const QString& programTitle) {
    m_programTitle = programTitle;
    RefreshTitles();
}

QString CMainFrame::FrameTitle() const {
    QMdiSubWindow* child = m_mdi ? m_mdi->activeSubWindow() : nullptr;
    if (!child && m_mdi && !m_mdi->subWindowList().isEmpty()) child = m_mdi->currentSubWindow();
    if (!child || child->isHidden() || child->windowTitle().isEmpty()) return m_programTitle;
    return QString(Label(shelltexts::kFrameTitleFormat)).arg(m_programTitle, child->windowTitle());
}

void CMainFrame::RefreshTitles() {
    // A picture shown in several windows numbers them.
    QMap<DocumentSession*, QList<QMdiSubWindow*>> windows;
    for (QMdiSubWindow* child : m_mdi->subWindowList())
        if (auto* view = qobject_cast<CVandView*>(child->widget()); view && !child->isHidden())
            windows[&view->document()].append(child);
    for (auto it = windows.begin(); it != windows.end(); ++it) {
        QString title = QString::fromStdString(it.key()->title());
        // A picture with unsaved changes is marked, as on every desktop.
        if (it.key()->modified()) title.prepend(QString::fromUtf8(shelltexts::kUnsavedMark));
        const QList<QMdiSubWindow*>& list = it.value();
        for (int i = 0; i < list.size(); ++i)
            list[i]->setWindowTitle(list.size() == 1 ? title
                                                     : QString(Label(shelltexts::kChildTitleFormat)).arg(title).arg(i + 1));
    }
    m_frameTitle = FrameTitle();
    if (windowTitle() != m_frameTitle) {
        m_applyingTitle = true;
        setWindowTitle(m_frameTitle);
        m_applyingTitle = false;
    }
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // A maximised child writes its own "frame - [child]" title into the frame (and the
    // frame's old title back when restored); the frame keeps the title it chose last.
    if (event->type() == QEvent::WindowTitleChange && !m_applyingTitle && windowTitle() != m_frameTitle) {
        m_applyingTitle = true;
        setWindowTitle(m_frameTitle);
        m_applyingTitle = false;
    }
}

QString CMainFrame::MenuText(const char* label) const {
    QString text = Label(label);
    // On a Japanese desktop the menus take the replacements of "KrStr2JpStr.txt".
    if (QLocale().language() != QLocale::Japanese) return text;
    for (const auto& [korean, japanese] : m_env.textTable)
        if (!korean.empty()) text.replace(QString::fromStdString(korean), QString::fromStdString(japanese));
    return text;
}

void CMainFrame::CreateActions() {
    std::function<void(const MenuItem&)> add = [&](const MenuItem& item) {
        if (item.id > 0 && !item.recentFiles && !m_actions.contains(item.id)) {
            auto* action = new QAction(MenuText(item.label), this);
            action->setData(item.id);
            action->setObjectName(QString("cmd%1").arg(item.id));
            const int id = item.id;
            connect(action, &QAction::triggered, this, [this, id] { Dispatch(id); });
            m_actions.insert(id, action);
        }
        for (const MenuItem& child : item.children) add(child);
    };
    for (const MenuItem& menu : MainMenu().menus) add(menu);
    for (const MenuItem* menu : {&CanvasContextMenu(), &MeasureContextMenu(), &LayerContextMenu()}) add(*menu);

    // Both accelerator tables are the same; one shortcut list per command.
    QMap<int, QList<QKeySequence>> keys;
    for (const Accelerator& a : Accelerators()) keys[a.id].append(QKeySequence(QString::fromLatin1(a.keys)));
    for (auto it = keys.begin(); it != keys.end(); ++it) {
        QAction* action = m_actions.value(it.key());
        if (!action) {
            action = new QAction(this);
            action->setData(it.key());
            const int id = it.key();
            connect(action, &QAction::triggered, this, [this, id] { Dispatch(id); });
            m_actions.insert(id, action);
        }
        action->setShortcuts(it.value());
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }

    for (const ToolGlyph& g : kToolGlyphs)
        if (QAction* action = m_actions.value(g.id)) action->setIcon(GlyphIcon(g.glyph));

    m_toolGroup = new QActionGroup(this);
    m_toolGroup->setExclusive(true);
    for (QAction* action : std::as_const(m_actions)) {
        const int id = action->data().toInt();
        if (IsExclusiveTool(id)) {
            action->setCheckable(true);
            m_toolGroup->addAction(action);
        }
    }
    for (int id : {cmd::kToolMove, cmd::kZoomIn, cmd::kFitToWindow, cmd::kGrid, cmd::kLayerWindow, cmd::kQuickEditWindow})
        if (QAction* action = m_actions.value(id)) action->setCheckable(true);
}

QAction* CMainFrame::ToolBarOnlyAction(int id) {
    const char* tip = nullptr;
    for (const ToolBarButton& button : kToolBarOnlyButtons)
        if (button.id == id) tip = button.tip;
    if (!tip) return nullptr;
    const QStringList parts = Label(tip).split('\n');
    auto* action = new QAction(parts.last(), this);
    action->setData(id);
    action->setObjectName(QString("cmd%1").arg(id));
    action->setStatusTip(parts.first());
    action->setToolTip(parts.last());
    if (const char* glyph = GlyphOf(id)) action->setIcon(GlyphIcon(glyph));
    // A drawing tool like the others: one of the group is pressed at a time.
    action->setCheckable(true);
    if (id != cmd::kMeasureTools) m_toolGroup->addAction(action);
    connect(action, &QAction::triggered, this, [this, id] { Dispatch(id); });
    m_actions.insert(id, action);
    return action;
}

QMenu* CMainFrame::BuildMenu(const MenuItem& item, QWidget* parent) {
    auto* menu = new QMenu(MenuText(item.label), parent);
    for (const MenuItem& child : item.children) {
        if (child.recentFiles) {
            // The recent files stand in the menu itself, before this invisible place holder.
            m_fileMenu = menu;
            m_recentPlace = menu->addAction(MenuText(child.label));
            m_recentPlace->setVisible(false);
            continue;
        }
        if (child.id == 0) {
            menu->addSeparator();
        } else if (child.id == -1) {
            menu->addMenu(BuildMenu(child, menu));
        } else if (QAction* action = m_actions.value(child.id)) {
            const QString text = MenuText(child.label);
            if (action->text() == text) {
                menu->addAction(action);
                continue;
            }
            // The context menus name some commands their own way ("영역복사" for copy): an item
            // of the menu's own with that label, dispatching the same command.
            auto* own = menu->addAction(text);
            own->setData(child.id);
            own->setCheckable(action->isCheckable());
            const int id = child.id;
            connect(own, &QAction::triggered, this, [this, id] { Dispatch(id); });
            auto refresh = [this, own, id] {
                const CommandState state = m_router.Update(id);
                own->setEnabled(state.enabled);
                if (own->isCheckable()) own->setChecked(state.checked);
            };
            refresh();
            connect(menu, &QMenu::aboutToShow, own, refresh);
        }
    }
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::RefreshCommandStates);
    return menu;
}

void CMainFrame::CreateMenus() {
    for (const MenuItem& item : MainMenu().menus) {
        QMenu* menu = BuildMenu(item, menuBar());
        menuBar()->addMenu(menu);
        for (const MenuItem& child : item.children)
            if (child.id == cmd::kWindowCascade) m_windowMenu = menu;
    }
    if (m_windowMenu) connect(m_windowMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateWindowMenu);
    UpdateRecentMenu();
}

void CMainFrame::UpdateWindowMenu() {
    if (!m_windowMenu) return;
    for (QAction* action : std::as_const(m_windowActions)) {
        m_windowMenu->removeAction(action);
        action->deleteLater();
    }
    m_windowActions.clear();
    const QList<QMdiSubWindow*> children = m_mdi->subWindowList();
    QMdiSubWindow* active = m_mdi->activeSubWindow();
    int number = 0;
    for (QMdiSubWindow* child : children) {
        if (child->isHidden() || !qobject_cast<CVandView*>(child->widget())) continue;
        if (number == 0) m_windowActions.append(m_windowMenu->addSeparator());
        ++number;
        QString title = child->windowTitle();
        title.replace('&', "&&");
        QAction* action = m_windowMenu->addAction(number < 10 ? QString("&%1 %2").arg(number).arg(title)
                                                              : QString("%1 %2").arg(number).arg(title));
        action->setCheckable(true);
        action->setChecked(child == active);
        QPointer<QMdiSubWindow> target(child);
        connect(action, &QAction::triggered, this, [this, target] {
            if (!target) return;
            m_mdi->setActiveSubWindow(target);
            if (auto* view = qobject_cast<CVandView*>(target->widget())) view->setFocus();
        });
        m_windowActions.append(action);
    }
}

void CMainFrame::CreateToolBars() {
    auto* tools = new QToolBar(Label(shelltexts::kMainToolBar), this);
    tools->setObjectName("MainToolBar");
    tools->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tools->setIconSize(QSize(24, 24));
    for (int id : kMainToolBarIds) {
        if (id == 0) {
            tools->addSeparator();
            continue;
        }
        QAction* action = m_actions.value(id);
        if (!action) action = ToolBarOnlyAction(id);
        if (!action) continue;
        tools->addAction(action);
    }
    tools->setAllowedAreas(Qt::AllToolBarAreas);
    addToolBar(Qt::TopToolBarArea, tools);

    // The first dialog bar: colours and brush size; docked at the top only.
    auto* colours = new QToolBar(Label(shelltexts::kColourBar), this);
    colours->setObjectName("ColourBar");
    colours->setAllowedAreas(Qt::TopToolBarArea);
    auto colourButton = [&](const char* label, int32_t* field) {
        auto* button = new QToolButton(colours);
        button->setText(Label(label));
        button->setObjectName(QString::fromUtf8(label));
        auto paint = [button, field] { StyleColourButton(button, *field); };
        paint();
        connect(button, &QToolButton::clicked, this, [this, field, paint, label] {
            QColor c = QColorDialog::getColor(FromPlatformColour(*field), this, Label(label));
            if (c.isValid()) *field = ToPlatformColour(c);
            paint();
        });
        colours->addWidget(button);
    };
    colourButton(shelltexts::kForeground, &m_env.foreground);
    colourButton(shelltexts::kBackground, &m_env.background);
    colours->addSeparator();
    colours->addWidget(new QLabel(Label(shelltexts::kBrushSize), colours));
    auto* brush = new QSpinBox(colours);
    brush->setRange(1, 100);
    brush->setValue(m_env.brushSize);
    connect(brush, &QSpinBox::valueChanged, this, [this](int v) { m_env.brushSize = v; });
    colours->addWidget(brush);
    colours->addSeparator();
    m_toolSettings = new ToolSettingsBar(colours);
    colours->addWidget(m_toolSettings);
    // The dialog bars sit on their own row below the tool bar.
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, colours);

    // The second dialog bar: the filter list; picking a filter opens its dialog.
    auto* filters = new DlgBar_Thrs(this);
    connect(filters, &DlgBar_Thrs::filterChosen, this, [this](int index) { m_processing->ChooseFilter(index); });
    addToolBar(Qt::TopToolBarArea, filters);
    m_filterBar = filters;
    m_toolBars = {tools, colours, filters};

    QSettings settings;
    restoreState(settings.value(QString("%1/ToolBars").arg(shelltexts::kProfileSection)).toByteArray());
}

bool CMainFrame::Dispatch(int id) {
    const bool handled = m_router.Dispatch(id);
    RefreshCommandStates();
    return handled;
}

void CMainFrame::RefreshCommandStates() {
    for (QAction* action : std::as_const(m_actions)) {
        const CommandState state = m_router.Update(action->data().toInt());
        action->setEnabled(state.enabled);
        if (action->isCheckable()) action->setChecked(state.checked);
    }
    // A change may have made a picture unsaved, or saved it; the zoom may have changed.
    RefreshTitles();
    if (m_statusFields) m_statusFields->ShowPicture(ActiveView());
    if (m_micro) m_micro->RefreshPalette();
}

CVandView* CMainFrame::ActiveView() const {
    QMdiSubWindow* child = m_mdi->activeSubWindow();
    if (!child && !m_mdi->subWindowList().isEmpty()) child = m_mdi->currentSubWindow();
    return child ? qobject_cast<CVandView*>(child->widget()) : nullptr;
}

DocumentSession* CMainFrame::ActiveDocument() const {
    CVandView* view = ActiveView();
    return view ? &view->document() : nullptr;
}

QList<CVandView*> CMainFrame::Views() const {
    QList<CVandView*> views;
    // A closed window lingers until its deferred deletion; it no longer counts.
    for (QMdiSubWindow* child : m_mdi->subWindowList())
        if (auto* view = qobject_cast<CVandView*>(child->widget()); view && !child->isHidden()) views.append(view);
    return views;
}

void CMainFrame::AttachDocument(DocumentSession* document) {
    m_micro->AttachDocument(*document);
    CVandDoc& doc = document->doc();
    doc.SetChangeListener([this, document](CVandDoc&) {
        document->MarkChanged();
        UpdateAllViews(document, 0);
        RefreshLayerWindow();
    });
    UndoHistory& history = doc.History();
    history.currentCommand = [this] { return m_currentTool; };
    // A step keeps the zoom, the fit mode and the scroll position of the views.
    history.captureView = [document] {
        ViewValues values;
        const ViewState& s = document->view();
        std::memcpy(&values.state[0], &s.zoom, sizeof(float));
        values.state[1] = s.fitToWindow;
        values.state[2] = s.scrollX;
        values.state[3] = s.scrollY;
        return values;
    };
    history.restoreView = [this, document](const ViewValues& values) {
        ViewState& s = document->view();
        float zoom = 1.0f;
        std::memcpy(&zoom, &values.state[0], sizeof(float));
        if (zoom >= kMinZoom && zoom <= kMaxZoom) s.zoom = zoom;
        s.fitToWindow = values.state[1] ? 1 : 0;
        s.keepFrameSize = 1;
        UpdateAllViews(document, kUpdateHintZoom);
    };
    history.changed = [this, document] {
        document->MarkChanged();
        UpdateAllViews(document, 0);
        RefreshLayerWindow();
    };
}

CVandView* CMainFrame::AddView(std::shared_ptr<DocumentSession> document) {
    auto* view = new CVandView(std::move(document), this);
    view->ApplyCursor(m_env.cursorKind);
    auto* child = new CChildFrame(this);
    child->setWidget(view);
    m_mdi->addSubWindow(child);
    child->setAttribute(Qt::WA_DeleteOnClose);
    child->setWindowTitle(QString::fromStdString(view->document().title()));
    // A tiny picture still gets a window with room for its title bar and buttons.
    child->setMinimumSize(kChildMinimumSize);
    // The first window of a picture fits it (up to the free space); later ones keep their size.
    child->resize(600, 450);
    child->show();
    RefreshTitles();
    view->OnUpdate(kUpdateHintZoom);
    view->setFocus();
    RefreshLayerWindow();
    RefreshCommandStates();
    return view;
}

CVandView* CMainFrame::AddDocumentView(std::shared_ptr<DocumentSession> document) {
    CVandView* view = AddView(std::move(document));
    // A finished new or opened picture brings the hidden layer window back.
    if (m_layerWindow && !m_layerWindow->isVisible()) ToggleLayerWindow();
    return view;
}

bool CMainFrame::NewDocument() {
    auto document = std::make_shared<DocumentSession>();
    AttachDocument(document.get());
    const int32_t c = m_env.background;
    m_newPicture.backgroundColour = MakeQuad(uint8_t(c & 0xFF), uint8_t((c >> 8) & 0xFF), uint8_t((c >> 16) & 0xFF));
    if (!document->doc().NewDocument(m_newPicture)) return false;
    AddDocumentView(document);
    return true;
}

bool CMainFrame::OpenDocument(const QString& path, NyZazo* prereadPsd, int page) {
    auto document = std::make_shared<DocumentSession>();
    AttachDocument(document.get());
    if (!document->doc().OpenDocument(QFileInfo(path).absoluteFilePath().toStdString(), prereadPsd, page))
        return false;
    AddDocumentView(document);
    AddRecentFile(QFileInfo(path).absoluteFilePath());
    return true;
}

QString CMainFrame::OpenFolder() const {
    if (!m_env.defaultFolder.empty()) return QString::fromStdString(m_env.defaultFolder);
    // Without the samples folder: where the last picture came from, else the user's Pictures folder.
    const QStringList recent = RecentFiles();
    if (!recent.isEmpty() && QFileInfo(recent.first()).dir().exists()) return QFileInfo(recent.first()).absolutePath();
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir()) return pictures;
    return QDir::homePath();
}

QString CMainFrame::PromptSavePath(DocumentSession& document) {
    // "flower.jpg" is proposed as "flower.qvx", not "flower.jpg.qvx".
    QString title = QString::fromStdString(document.title());
    const QFileInfo titled(title);
    if (FormatFromExtension(ExtensionOf(title.toStdString())) != kFormatUndetermined && !titled.completeBaseName().isEmpty())
        title = titled.completeBaseName();
    QString proposed = QString::fromStdString(DocumentIO::ProposedSaveName(title.toStdString()));
    // Only a measurement document keeps the measurement objects.
    if (document.HasMeasureObjects())
        proposed = QFileInfo(proposed).completeBaseName() + '.' + PrimaryExtension(kFormatMzr);
    if (savePathPrompt) return savePathPrompt(proposed);
    int formatType = kFormatUndetermined;
    // Beside the picture's own file, else where pictures are opened from.
    const QString folder = document.path().empty() ? OpenFolder()
                                                   : QFileInfo(QString::fromStdString(document.path())).absolutePath();
    const QString chosen = Dlg_QvxFile::GetSavePath(this, proposed, folder, &formatType);
    if (chosen.isEmpty()) return {};
    return QString::fromStdString(DocumentIO::CompleteSaveName(chosen.toStdString(), formatType));
}

bool CMainFrame::AskSaveOptions(int formatType) {
    if (!HasSaveOptions(formatType)) return true;
    SaveOptions chosen = m_saveOptions;
    const bool accepted = saveOptionsPrompt ? saveOptionsPrompt(formatType, chosen)
                                            : CDlg_SaveOptions::Ask(this, formatType, chosen);
    if (!accepted) return false;
    if (!(chosen == m_saveOptions)) {
        m_saveOptions = Clamped(chosen);
        // The choice is kept at once; a settings file that cannot be written costs only the memory of it.
        (void)StoreSaveOptions(m_programDir.string(), m_saveOptions);
    }
    return true;
}

bool CMainFrame::SaveDocument(DocumentSession& document, bool saveAs) {
    QString path = QString::fromStdString(document.path());
    // A picture file would keep the measurements only as pixels: Save asks for a measurement document.
    const bool keepsMeasures =
        !document.HasMeasureObjects() || FormatFromExtension(ExtensionOf(path.toStdString())) == kFormatMzr;
    const bool writable = !path.isEmpty() && CanSaveExtension(ExtensionOf(path.toStdString())) &&
                          !OnePageOfSeveral(document) && keepsMeasures;
    if (saveAs || !writable) {
        path = PromptSavePath(document);
        if (path.isEmpty()) return false;
        if (!AskSaveOptions(FormatFromExtension(ExtensionOf(path.toStdString())))) return false;
    }
    const bool existed = QFile::exists(path);
    bool saved = false;
    {
        BusyWork busy;
        saved = document.doc().SaveDocument(path.toStdString(), m_saveOptions);
    }
    if (!saved) {
        // A failed save under a new name leaves no partial file behind.
        if (!existed) QFile::remove(path);
        ShowSaveFailure(path, document.doc().LastError());
        return false;
    }
    // The title names the file that the next Save writes.
    document.doc().SetFileName(QFileInfo(path).fileName().toStdString());
    // That file holds the one page now.
    if (NyZazo* composite = OnePageOfSeveral(document)) composite->frameCount = 1;
    const int format = FormatFromExtension(ExtensionOf(path.toStdString()));
    if (format != kFormatQvx && format != kFormatMzr)
        statusLabel()->setText(QString::asprintf(texts::kSaveStatusFormat, document.Width(), document.Height(),
                                                 document.header().bitsPerPixel));
    m_progress->setValue(0);
    AddRecentFile(path);
    RefreshTitles();
    return true;
}

bool CMainFrame::CloseDocument(DocumentSession* document) {
    bool cancelled = false;
    const bool closed = CloseDocumentWindows(document, true, &cancelled);
    RefreshLayerWindow();
    RefreshCommandStates();
    return closed;
}

void CMainFrame::UpdateAllViews(DocumentSession* document, int hint) {
    for (CVandView* view : Views())
        if (&view->document() == document) view->OnUpdate(hint);
}

void CMainFrame::DocumentChanged(DocumentSession* document) {
    document->MarkChanged();
    RefreshTitles();
    UpdateAllViews(document, 0);
    RefreshLayerWindow();
    RefreshCommandStates();
}

PanelState& CMainFrame::panelState() { return m_panels->state(); }

void CMainFrame::SetForegroundColour(int32_t platformColour) {
    m_env.foreground = platformColour;
    if (auto* button = findChild<QToolButton*>(Label(shelltexts::kForeground))) StyleColourButton(button, platformColour);
}

void CMainFrame::SetCurrentTool(int id) {
    if (m_micro) m_micro->ToolChanging(m_currentTool, id);
    if (m_panels) m_panels->ToolChanging(m_currentTool, id);
    if (id != m_currentTool) m_previousTool = m_currentTool;
    m_currentTool = id;
}

void CMainFrame::CreateToolWindows() {
    if (!m_layerWindow) {
        m_layerWindow = new CDlg_Layer(this);
        m_layerWindow->resize(260, 280);
        m_layerWindow->hide();
    }
    // The modeless tool dialogs stand ready, hidden, from the start.
    m_panels->CreateToolDialogs();
    m_toolCommands->CreatePathPanel();
}

void CMainFrame::RefreshLayerWindow() {
    if (m_layerWindow) m_layerWindow->SetDocument(ActiveDocument());
    if (m_quickEdit) m_quickEdit->RefreshState();
}

void CMainFrame::ToggleLayerWindow() {
    CreateToolWindows();
    if (m_layerWindow->isVisible()) {
        m_layerWindow->hide();
    } else {
        if (!m_layerWindowPlaced) {
            // Placed when first shown, in the frame as it is laid out by then (maximised at start):
            // at its right edge, below the tool bar and the dialog bars, where the picture windows
            // begin. A move places the window's frame, so its title bar stands below them too.
            m_layerWindowPlaced = true;
            m_layerWindow->move(geometry().right() - 263, m_mdi->mapToGlobal(QPoint(0, 0)).y());
        }
        m_layerWindow->show();
        m_layerWindow->raise();
        RefreshLayerWindow();
    }
}

void CMainFrame::ToggleQuickEditWindow() {
    if (!m_quickEdit) {
        // Made on first use below the tool bars, left of the layer window's place; later uses keep its place.
        m_quickEdit = new CDlg_OneClickDica(this);
        m_quickEdit->adjustSize();
        const int top = m_mdi->mapToGlobal(QPoint(0, 0)).y();
        m_quickEdit->move(geometry().right() - 263 - m_quickEdit->width() - 8, top);
    }
    if (m_quickEdit->isVisible()) {
        m_quickEdit->hide();
    } else {
        m_quickEdit->RefreshState();
        m_quickEdit->show();
        m_quickEdit->raise();
    }
    RefreshCommandStates();
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow*) {
    if (m_panels) m_panels->ActiveViewChanged();
    RefreshTitles();
    RefreshLayerWindow();
    RefreshCommandStates();
}

bool CMainFrame::OnCommand(int id) {
    switch (id) {
        case cmd::kFileNew: {
            CDlg_NewImage dialog(m_newPicture, this);
            if (dialog.exec() == QDialog::Accepted) {
                m_newPicture = dialog.settings();
                NewDocument();
            }
            return true;
        }
        case cmd::kFileOpen: {
            Dlg_QvxFile dialog(this, OpenFolder());
            if (dialog.exec() == QDialog::Accepted)
                for (const QString& path : dialog.selectedFiles()) {
                    // A PSD picture the preview read is not read a second time.
                    NyZazo previewed;
                    const bool handed = dialog.preview().TakePsdPicture(QFileInfo(path).absoluteFilePath().toStdString(), previewed);
                    OpenDocument(path, handed ? &previewed : nullptr, dialog.PageOf(path));
                }
            return true;
        }
        case cmd::kAppExit: close(); return true;
        case cmd::kFilePrintSetup: {
            QPageSetupDialog dialog(&printer(), this);
            dialog.exec();
            return true;
        }
        case cmd::kEnvironment: {
            CVandView* view = ActiveView();
            if (view) view->PauseSelectionTimer();
            CDlg_SetEnvironment dialog(m_env, this);
            if (dialog.exec() == QDialog::Accepted) {
                m_env = dialog.Apply(m_env);
                for (CVandView* v : Views()) {
                    v->ApplyCursor(m_env.cursorKind);
                    v->document().MarkChanged();
                    v->viewport()->update();
                }
            }
            if (view) view->ResumeSelectionTimer();
            return true;
        }
        case cmd::kLoadJpegSample:
        case cmd::kLoadGifSample:
        case cmd::kLoadTifSample:
        case cmd::kLoadBitmapSample: {
            auto document = std::make_shared<DocumentSession>();
            AttachDocument(document.get());
            if (document->Execute(id)) AddDocumentView(document);
            return true;
        }
        case cmd::kDuplicateDocument:
        case cmd::kCropToNew: {
            CVandView* view = ActiveView();
            if (!view) return true;
            // Each makes a new picture window from the active one.
            auto document = std::make_shared<DocumentSession>();
            AttachDocument(document.get());
            const int32_t c = m_env.background;
            m_newPicture.backgroundColour =
                MakeQuad(uint8_t(c & 0xFF), uint8_t((c >> 8) & 0xFF), uint8_t((c >> 16) & 0xFF));
            CVandDoc& source = view->document().doc();
            const bool made = id == cmd::kDuplicateDocument
                                  ? DocumentIO::DuplicateDocument(source, document->doc(), m_newPicture)
                                  : DocumentIO::NewFromSelection(source, document->doc(), m_newPicture);
            if (made) AddDocumentView(document);
            return true;
        }
        case cmd::kLayerWindow: ToggleLayerWindow(); return true;
        case cmd::kQuickEditWindow: ToggleQuickEditWindow(); return true;
        case cmd::kWindowCascade: CascadePictureWindows(*m_mdi); return true;
        case cmd::kWindowTile: m_mdi->tileSubWindows(); return true;
        case cmd::kWindowNew:
            if (CVandView* view = ActiveView()) AddView(view->sharedDocument());
            return true;
        case cmd::kCloseAll: CloseAllDocuments(); return true;
        case cmd::kToolMove:
        case cmd::kZoomIn: SetCurrentTool(id); return true;
        case cmd::kAppAbout:
            QMessageBox::about(this, Label(shelltexts::kAppTitle), Label(shelltexts::kAboutText));
            return true;
        default: break;
    }
    // Tool commands only choose the tool; the view's mouse handlers act by it.
    if (ToolRegistry::Instance().Has(id)) {
        SetCurrentTool(id);
        return true;
    }
    if (id >= cmd::kFileMru1 && id < cmd::kFileMru1 + kRecentFileCount) {
        const QStringList files = RecentFiles();
        const int index = id - cmd::kFileMru1;
        if (index < files.size()) OpenDocument(files[index]);
        return true;
    }
    return false;
}

bool CMainFrame::OnUpdateCommand(int id, CommandState& state) {
    switch (id) {
        case cmd::kFileNew:
        case cmd::kFileOpen:
        case cmd::kAppExit:
        case cmd::kFilePrintSetup:
        case cmd::kAppAbout:
        case cmd::kEnvironment: return true;
        case cmd::kLoadJpegSample:
        case cmd::kLoadGifSample:
        case cmd::kLoadTifSample:
        case cmd::kLoadBitmapSample: state.enabled = DocumentSession::HasCommand(id); return true;
        case cmd::kLayerWindow: state.checked = m_layerWindow && m_layerWindow->isVisible(); return true;
        case cmd::kQuickEditWindow: state.checked = m_quickEdit && m_quickEdit->isVisible(); return true;
        case cmd::kDuplicateDocument:
        case cmd::kCropToNew: state.enabled = ActiveView() != nullptr; return true;
        case cmd::kWindowCascade:
        case cmd::kWindowTile:
        case cmd::kWindowNew:
        case cmd::kCloseAll: state.enabled = !m_mdi->subWindowList().isEmpty(); return true;
        case cmd::kToolMove: state.enabled = ActiveView() != nullptr; state.checked = m_currentTool == id; return true;
        default: break;
    }
    if (ToolRegistry::Instance().Has(id)) {
        state.enabled = ActiveView() != nullptr;
        state.checked = m_currentTool == id;
        return true;
    }
    return false;
}

void CMainFrame::AddRecentFile(const QString& path) {
    QSettings settings;
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > kRecentFileCount) files.removeLast();
    // The desktop's own list too, where file choosers and launchers show it.
    AddRecentlyUsed(RecentlyUsedPath(), {path, QMimeDatabase().mimeTypeForFile(path).name(),
                                         QString::fromUtf8(shelltexts::kRecentlyUsedApp),
                                         QString::fromUtf8(shelltexts::kRecentlyUsedExec), QDateTime::currentDateTime()});
    settings.beginGroup(kRecentSection);
    settings.remove("");
    for (int i = 0; i < files.size(); ++i) settings.setValue(QString("File%1").arg(i + 1), files[i]);
    settings.endGroup();
    UpdateRecentMenu();
}

QStringList CMainFrame::RecentFiles() const {
    QSettings settings;
    QStringList files;
    settings.beginGroup(kRecentSection);
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QString f = settings.value(QString("File%1").arg(i)).toString();
        if (!f.isEmpty()) files.append(f);
    }
    return files;
}

void CMainFrame::UpdateRecentMenu() {
    if (!m_fileMenu || !m_recentPlace) return;
    for (QAction* action : std::as_const(m_recentActions)) {
        m_fileMenu->removeAction(action);
        action->deleteLater();
    }
    m_recentActions.clear();
    const QStringList files = RecentFiles();
    const QFontMetrics metrics(m_fileMenu->font());
    for (int i = 0; i < files.size(); ++i) {
        // Long paths keep their start and their file name.
        QString shown = metrics.elidedText(QDir::toNativeSeparators(files[i]), Qt::ElideMiddle, kRecentFileWidth);
        shown.replace('&', "&&");
        auto* action = new QAction(QString("&%1 %2").arg(i + 1).arg(shown), m_fileMenu);
        const int id = cmd::kFileMru1 + i;
        action->setData(id);
        action->setStatusTip(files[i]);
        connect(action, &QAction::triggered, this, [this, id] { Dispatch(id); });
        m_fileMenu->insertAction(m_recentPlace, action);
        m_recentActions.append(action);
    }
    if (files.isEmpty()) {
        // An empty list shows its greyed name, as the menu always has.
        auto* none = new QAction(m_recentPlace->text(), m_fileMenu);
        none->setEnabled(false);
        m_fileMenu->insertAction(m_recentPlace, none);
        m_recentActions.append(none);
    }
}

bool CMainFrame::CloseDocumentWindows(DocumentSession* document, bool ask, bool* cancelled) {
    *cancelled = false;
    // Measurements count as changes until they are saved, like any other change.
    if (ask && document->modified()) {
        const std::string question = QString::asprintf(texts::kAskSaveFormat, document->title().c_str()).toStdString();
        switch (CurrentPlatform().ShowMessage(question, MessageKind::Question, MessageButtons::YesNoCancel)) {
            case MessageAnswer::Cancel: *cancelled = true; return false;
            case MessageAnswer::Yes:
                if (!SaveDocument(*document, true)) {
                    *cancelled = true;
                    return false;
                }
                break;
            default: break;
        }
    }
    for (CVandView* view : Views())
        if (&view->document() == document)
            if (auto* child = qobject_cast<QMdiSubWindow*>(view->parentWidget())) {
                // Already answered: the window's own close must not ask again.
                if (auto* frame = qobject_cast<CChildFrame*>(child)) frame->SetAnswered();
                child->close();
            }
    return true;
}

bool CMainFrame::CloseAllDocuments() {
    QList<DocumentSession*> documents;
    for (CVandView* view : Views())
        if (!documents.contains(&view->document())) documents.append(&view->document());
    bool all = true;
    for (DocumentSession* document : documents) {
        bool cancelled = false;
        if (!CloseDocumentWindows(document, true, &cancelled)) all = false;
    }
    RefreshLayerWindow();
    RefreshCommandStates();
    return all && Views().isEmpty();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    std::string failure;
    const bool saved = SaveEnvironment(m_programDir, m_env, &failure);
    QSettings settings;
    settings.setValue(QString("%1/ToolBars").arg(shelltexts::kProfileSection), saveState());
    settings.sync();
    if (settings.status() != QSettings::NoError)
        failure += (failure.empty() ? "" : "\n") + QDir::toNativeSeparators(settings.fileName()).toStdString();
    // The old files stay as they were; the user learns that this run's changes were not kept.
    if (!saved || settings.status() != QSettings::NoError)
        CurrentPlatform().ShowMessage(std::string(shelltexts::kSettingsNotSaved) + "\n" + failure, MessageKind::Warning);
    if (!CloseAllDocuments()) {
        event->ignore();
        return;
    }
    if (m_quickEdit) m_quickEdit->close();
    if (m_layerWindow) m_layerWindow->close();
    event->accept();
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The windows made before the frame was shown fit their pictures now that there is room.
    QMetaObject::invokeMethod(this, [this] {
        for (CVandView* view : Views()) view->FitChildFrame();
    }, Qt::QueuedConnection);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) OpenDocument(url.toLocalFile());
    event->acceptProposedAction();
}

bool CMainFrame::AskBeforeClosingWindow(CVandView* view) {
    int windows = 0;
    for (CVandView* v : Views())
        if (&v->document() == &view->document()) ++windows;
    DocumentSession& doc = view->document();
    // Another window still shows the picture, or nothing would be lost.
    if (windows > 1 || !doc.modified()) return true;
    const std::string question = QString::asprintf(texts::kAskSaveFormat, doc.title().c_str()).toStdString();
    const MessageAnswer a = CurrentPlatform().ShowMessage(question, MessageKind::Question, MessageButtons::YesNoCancel);
    return a == MessageAnswer::No || (a == MessageAnswer::Yes && SaveDocument(doc, true));
}

void CMainFrame::ChildClosed() {
    QMetaObject::invokeMethod(this, [this] {
        RefreshTitles();
        RefreshLayerWindow();
        RefreshCommandStates();
    }, Qt::QueuedConnection);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (CVandView* view = ActiveView(); view && watched == view->viewport()) {
        if (event->type() == QEvent::MouseMove)
            m_statusFields->ShowPointer(*view, static_cast<QMouseEvent*>(event)->position().toPoint());
        else if (event->type() == QEvent::Leave)
            m_statusFields->ClearPointer();
    }
    if (event->type() == QEvent::MouseMove && ActiveView()) {
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->window() == this) {
            const QPoint p = mapFromGlobal(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            m_status->setText(QString::asprintf(shelltexts::kStatusMouse, p.x(), p.y()));
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace quillory
