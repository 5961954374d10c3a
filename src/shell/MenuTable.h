#pragma once
// The main menu, the context menus and the accelerator table as data: every item
// is a command id with its label. The Qt frame builds its menus from these tables.
#include <string>
#include <vector>

namespace quillory {

struct MenuItem {
    int id = 0;                   // 0: separator; -1: a submenu (children below)
    const char* label = "";
    std::vector<MenuItem> children;
    bool recentFiles = false;     // the place of the recent-file list
};

struct MenuBar {
    std::vector<MenuItem> menus;  // each a submenu
};

// Main menu 3315. A label carries its key after a tab only where the menu itself shows it;
// elsewhere the menu shows the accelerator of the command.
const MenuBar& MainMenu();
// Context menus: 2051 canvas, 3185 measurement mode, 4004 layer window.
const MenuItem& CanvasContextMenu();
const MenuItem& MeasureContextMenu();
const MenuItem& LayerContextMenu();

struct Accelerator {
    const char* keys;  // Qt key sequence text
    int id;
};
// Accelerator tables 3315 and 3320 (identical).
const std::vector<Accelerator>& Accelerators();

// Label of a command anywhere in the menus ("" when it is not there).
std::string CommandLabel(int id);
// Every command id that appears in the main menu, in order.
std::vector<int> MainMenuCommands();


}  // namespace quillory
