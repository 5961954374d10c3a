#pragma once
// The decorations of the active picture: the calendar (kCalendar) and the picture
// frame (kPictureFrame) through their dialogs, while each dialog is open its command
// is the current tool. Registers the decorations' document commands and the text
// tool, which draws with the environment's text font.
#include "shell/CommandRouter.h"

namespace quillory {

class CMainFrame;

class DecorationCommands : public CommandTarget {
public:
    explicit DecorationCommands(CMainFrame& frame);
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

private:
    void PutCalendar();
    void PutPictureFrame();
    CMainFrame& m_frame;
};

}  // namespace quillory
