#pragma once
// The transform, channel, colour-range and gradient commands of the editor: the
// picture and canvas size dialogs, the panels of the free rotation, the stretch,
// the free transform, the colour range and the gradient (each with its view
// tool), the channel viewer and the channel splits into new windows. Offered
// after the view and before the document, so the panel tools are chosen here
// rather than run headless.
#include <QPointer>

#include "document/ChannelCommands.h"
#include "shell/CDlg_Find_SimPixelArea.h"
#include "shell/CDlg_GradientBucket.h"
#include "shell/CommandRouter.h"
#include "shell/TransformPanels.h"
#include "view/PanelState.h"

class QPainter;

namespace quillory {

class CMainFrame;
class CVandView;
class DocumentSession;

class PanelCommands : public CommandTarget {
public:
    explicit PanelCommands(CMainFrame& frame);
    ~PanelCommands() override;

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    PanelState& state() { return m_state; }
    // The gradient, free transform, rotation and stretch panels, made hidden at start-up;
    // their commands show them.
    void CreateToolDialogs();
    // The ellipse's hint in the status bar goes with its tool.
    void ToolChanging(int from, int to);
    // The rotation and stretch panels follow the active picture: what was previewed on
    // the one before goes back, and the panel starts again on the new one.
    void ActiveViewChanged();
    // The free transform's quadrilateral or the ellipse's box, with their handles, over a view of its picture.
    void PaintOverlay(QPainter& painter, CVandView& view);

    DlgRotate* rotatePanel() const { return m_rotate; }
    DlgStretch* stretchPanel() const { return m_stretch; }
    DlgFreeTransform* transformPanel() const { return m_transform; }
    CDlg_Find_SimPixelArea* colourRangePanel() const { return m_colourRange; }
    CDlg_GradientBucket* gradientPanel() const { return m_gradient; }
    const ChannelTitleCounter& channelTitles() const { return m_titles; }

private:
    DocumentSession* SessionDocument() const;
    void EndSession();
    void DropPendingPreview();
    // The rotation or stretch panel closed with `result`: an accepted change is kept as
    // one step, anything else leaves the layer as it was.
    void FinishPreview(int result);
    void RefreshPanels();
    void MakeRotatePanel();
    void MakeStretchPanel();
    void MakeTransformPanel();
    void MakeGradientPanel();
    // The rotation or the stretch: a preview of the current layer driven by its panel.
    void ShowLayerPreview(DocumentSession& doc, int command);
    void ShowTransform(DocumentSession& doc, int command);
    void StartEllipse(DocumentSession& doc);
    void ShowColourRange(DocumentSession& doc);
    void ToggleGradient();
    void Split(DocumentSession& doc, ChannelModel model);

    CMainFrame& m_frame;
    PanelState m_state;
    ChannelTitleCounter m_titles;
    QPointer<DlgRotate> m_rotate;
    QPointer<DlgStretch> m_stretch;
    QPointer<DlgFreeTransform> m_transform;
    QPointer<CDlg_Find_SimPixelArea> m_colourRange;
    QPointer<CDlg_GradientBucket> m_gradient;
};

}  // namespace quillory
