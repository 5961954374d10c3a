#pragma once
// The image-processing commands that open a dialog before they change the picture:
// brightness and contrast, the colour shift, the levels and the binary conversion.
// They run under the preview protocol; the commands without a dialog go straight
// to the engine's registry. Offered after the view and before the document.
#include "shell/CommandRouter.h"
#include "shell/CDlg_Thrs.h"

namespace quillory {

class CMainFrame;

class ProcessingCommands : public CommandTarget {
public:
    explicit ProcessingCommands(CMainFrame& frame) : m_frame(frame) {}
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;
    // The filter at a list index: the list shows it and its dialog opens on the active picture.
    void ChooseFilter(int index);

private:
    bool Run(int id, CAdjustDialog& dialog);
    CMainFrame& m_frame;
};

// The filter dialog's description of the binary conversion: its three methods, one slider each.
ThrsSetup BinaryConversionSetup();
// The filter dialog's description of a filter: its parameter set's sliders, values as p1= p2= p3=.
ThrsSetup FilterSetup(const QString& filterName);

}  // namespace quillory
