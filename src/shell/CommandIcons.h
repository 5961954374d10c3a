#pragma once
// The pictures and help texts of commands: icons from the desktop's icon theme
// by their freedesktop names (with an installed theme as the fallback), the tool
// tip of a button (its menu label and its keys) and the status-bar tip of a menu item.
#include <QIcon>
#include <QKeySequence>
#include <QList>
#include <QString>
#include <vector>

class QAction;

namespace quillory {

// The themes looked in when the desktop's own theme lacks a name, in order of preference.
inline constexpr const char* kFallbackIconThemes[] = {"breeze", "Adwaita"};

// Makes the first installed fallback theme Qt's fallback; returns its name ("" when none is installed).
QString PrepareIconThemes();

// The freedesktop icon names tried for a command, most fitting first (empty for none).
std::vector<const char*> IconNamesOf(int id);
// The first of those names the themes have; a null icon when none.
QIcon ThemeIconOf(int id);

// A button's tool tip: the label without its mnemonic and menu key text, then its keys in brackets.
QString ToolTipText(const QString& menuLabel, const QList<QKeySequence>& keys);
// Gives every command action its theme icon (when the themes have one; the action keeps
// the icon it had otherwise), its tool tip and its status-bar tip.
void DecorateCommandActions(const QList<QAction*>& actions);
// The status-bar sentence of a command ("" when it has none of its own).
QString StatusTipOf(int id);

}  // namespace quillory
