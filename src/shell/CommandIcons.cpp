#include "shell/CommandIcons.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include "core/CommandIds.h"
#include "shell/CommandTips.h"

namespace quillory {

namespace {

struct IconNames {
    int id;
    std::vector<const char*> names;
};

// Standard names first; the drawing-program names of the common themes after them.
const std::vector<IconNames>& IconTable() {
    using namespace cmd;
    static const std::vector<IconNames> table = {
        {kFileNew, {"document-new"}},
        {kFileOpen, {"document-open"}},
        {kFileSave, {"document-save"}},
        {kFileSaveAs, {"document-save-as"}},
        {kFileClose, {"document-close", "window-close"}},
        {kFilePrint, {"document-print"}},
        {kAppExit, {"application-exit"}},
        {kEditCut, {"edit-cut"}},
        {kEditCopy, {"edit-copy"}},
        {kEditPaste, {"edit-paste"}},
        {kEditUndo, {"edit-undo"}},
        {kEditRedo, {"edit-redo"}},
        {kToolMove, {"transform-move", "tool-pointer", "object-move"}},
        {kToolRectSelect, {"select-rectangular", "tool_rect_selection", "edit-select"}},
        {kToolPolygonSelect, {"tool_free_form_selection", "draw-polygon", "edit-select"}},
        {kToolFreeSelect, {"edit-select-lasso", "tool_free_form_selection", "edit-select"}},
        {kToolMagicWand, {"tool-magic-wand", "edit-select-similar", "select", "edit-select"}},
        {kToolDrop, {"draw-watercolor", "tool-smudge", "draw-brush"}},
        {kToolBrush, {"draw-brush", "tool_brush"}},
        {kToolLine, {"draw-line", "tool_line"}},
        {kToolCircle, {"draw-circle", "draw-ellipse", "tool_ellipse"}},
        {kToolPolyline, {"draw-polyline", "tool_polyline"}},
        {kToolSpray, {"tool-spray", "tool_spraycan", "draw-spray"}},
        {kToolEraser, {"draw-eraser", "tool_eraser"}},
        {kToolFill, {"color-fill", "fill-color", "tool_flood_fill"}},
        {kToolDot, {"draw-freehand", "tool_pen", "draw-brush"}},
        {kToolColourPicker, {"color-picker", "tool_color_picker"}},
        {kToolText, {"draw-text", "tool-text", "insert-text"}},
        {kToolGradient, {"color-gradient", "tool-gradient"}},
        {kZoomIn, {"zoom-in"}},
        {kZoomOut, {"zoom-out"}},
        {kActualSize, {"zoom-original"}},
        {kFitToWindow, {"zoom-fit-best"}},
        {kGrid, {"view-grid", "show-grid"}},
        {kLayerWindow, {"dialog-layers", "layer-visible-on", "view-list-details"}},
        {kLayerAdd, {"layer-new", "list-add"}},
        {kLayerDelete, {"layer-delete", "list-remove"}},
        {kLayerDuplicate, {"layer-duplicate"}},
        {kEnvironment, {"configure", "preferences-system", "document-properties"}},
        {kAppAbout, {"help-about"}},
        {kPathPanel, {"draw-bezier-curves", "draw-path"}},
        {kMeasureTools, {"tool-measure", "measure", "applications-science"}},
        {kSelectInvert, {"edit-select-invert"}},
        {kSelectAll, {"edit-select-all"}},
        {kDeselect, {"edit-select-none"}},
        {kInvert, {"color-mode-invert-image"}},
        {kResizePicture, {"transform-scale", "image-resize-symbolic"}},
        {kToolFreeRotate, {"transform-rotate", "object-rotate-right"}},
        {kLayerRotateRight, {"object-rotate-right"}},
        {kLayerRotateLeft, {"object-rotate-left"}},
        {kLayerFlipTopBottom, {"object-flip-vertical"}},
        {kLayerFlipLeftRight, {"object-flip-horizontal"}},
        {kCanvasRotateRight, {"object-rotate-right"}},
        {kCanvasRotateLeft, {"object-rotate-left"}},
        {kCanvasFlipTopBottom, {"object-flip-vertical"}},
        {kCanvasFlipLeftRight, {"object-flip-horizontal"}},
        {kWindowCascade, {"window-duplicate"}},
        {kWindowNew, {"window-new"}},
        {kCloseAll, {"window-close"}},
    };
    return table;
}

// A theme is installed when one of the icon folders has its index.
bool ThemeInstalled(const QString& name) {
    for (const QString& folder : QIcon::themeSearchPaths())
        if (QFileInfo::exists(QDir(folder).filePath(name + "/index.theme"))) return true;
    return false;
}

// Some platforms (a bare X server, the offscreen one) leave the desktop's icon folders out of the search.
void AddDesktopIconFolders() {
    QStringList folders = QIcon::themeSearchPaths();
    const QStringList desktop =
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, "icons", QStandardPaths::LocateDirectory);
    bool added = false;
    for (const QString& folder : desktop)
        if (!folders.contains(folder)) folders << folder, added = true;
    if (added) QIcon::setThemeSearchPaths(folders);
}

}  // namespace

QString PrepareIconThemes() {
    AddDesktopIconFolders();
    for (const char* theme : kFallbackIconThemes) {
        const QString name = QString::fromLatin1(theme);
        if (!ThemeInstalled(name)) continue;
        QIcon::setFallbackThemeName(name);
        // Without a desktop (a bare X server, the offscreen platform) Qt names no theme, or only
        // the base theme that has no action icons.
        if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor")) QIcon::setThemeName(name);
        return name;
    }
    return {};
}

std::vector<const char*> IconNamesOf(int id) {
    for (const IconNames& row : IconTable())
        if (row.id == id) return row.names;
    return {};
}

QIcon ThemeIconOf(int id) {
    for (const char* name : IconNamesOf(id)) {
        const QString themeName = QString::fromLatin1(name);
        if (QIcon::hasThemeIcon(themeName)) return QIcon::fromTheme(themeName);
    }
    return {};
}

QString ToolTipText(const QString& menuLabel, const QList<QKeySequence>& keys) {
    QString label = menuLabel.section('\t', 0, 0).trimmed();
    // "새파일(&N)" shows as "새파일": a mnemonic in brackets goes with them, a bare one loses its "&".
    static const QRegularExpression bracketed(QStringLiteral("\\(&.\\)"));
    label.remove(bracketed);
    label.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    label.remove('&');
    label.replace(QChar(0x01), QChar('&'));
    label = label.trimmed();
    if (label.endsWith(QStringLiteral("..."))) label.chop(3);
    QStringList shown;
    for (const QKeySequence& key : keys)
        if (!key.isEmpty()) shown << key.toString(QKeySequence::NativeText);
    if (shown.isEmpty()) return label;
    return QStringLiteral("%1 (%2)").arg(label, shown.join(QStringLiteral(", ")));
}

void DecorateCommandActions(const QList<QAction*>& actions) {
    for (QAction* action : actions) {
        const int id = action->data().toInt();
        const QIcon themed = ThemeIconOf(id);
        if (!themed.isNull()) action->setIcon(themed);
        if (action->text().isEmpty()) continue;  // a command reached by its keys only
        const QString tip = ToolTipText(action->text(), action->shortcuts());
        action->setToolTip(tip);
        if (action->statusTip().isEmpty()) {
            const QString sentence = StatusTipOf(id);
            action->setStatusTip(sentence.isEmpty() ? tip : sentence);
        }
    }
}

QString StatusTipOf(int id) {
    for (const shelltexts::CommandTip& tip : shelltexts::kCommandTips)
        if (tip.id == id) return QString::fromUtf8(tip.text);
    return {};
}

}  // namespace quillory
