#include "shell/PanelCommands.h"

#include <QPainter>
#include <QPolygonF>
#include <QStatusBar>

#include "core/CommandIds.h"
#include "document/ColourRangeSelection.h"
#include "document/SnapshotSlots.h"
#include "document/TransformCommands.h"
#include "document/TransformTexts.h"
#include "shell/CDlg_CHANNEL.h"
#include "shell/CDlg_CanvasSize.h"
#include "shell/CDlg_Find_SimPixelArea.h"
#include "shell/CDlg_GradientBucket.h"
#include "shell/CDlg_ImageSize.h"
#include "shell/CMainFrame.h"
#include "shell/CVandView.h"
#include "shell/EllipseOverlay.h"
#include "shell/PanelTexts.h"
#include "shell/TransformPanels.h"
#include "view/ColourRangeTool.h"
#include "view/FreeTransformTool.h"
#include "view/LayerPreviewTools.h"

namespace quillory {

namespace {

bool IsPanelCommand(int id) {
    switch (id) {
        case cmd::kResizePicture:
        case cmd::kCanvasSize:
        case cmd::kToolFreeRotate:
        case cmd::kStretchSquash:
        case cmd::kToolScale:
        case cmd::kToolSkew:
        case cmd::kToolPerspective:
        case cmd::kEllipseTransform:
        case cmd::kColourRangeSelect:
        case cmd::kToolColourRange:
        case cmd::kToolGradient:
        case cmd::kRgbChannels:
        case cmd::kYuvSplit:
        case cmd::kHslSplit: return true;
        default: return false;
    }
}

bool IsTool(int id) {
    return id == cmd::kToolFreeRotate || id == cmd::kStretchSquash || cmd::IsTransformTool(id) ||
           id == cmd::kEllipseTransform ||
           id == cmd::kColourRangeSelect || id == cmd::kToolColourRange || id == cmd::kToolGradient;
}

// Panels stand in a column left of the layer window, each kind on its own row so
// that two open panels do not cover each other.
enum PanelRow { kLayerPanelRow = 0, kColourRangeRow = 1, kGradientRow = 2 };
void Place(CMainFrame& frame, QWidget* panel, PanelRow row) {
    const QRect area = frame.geometry();
    panel->adjustSize();
    panel->move(area.right() - panel->width() - 280, area.top() + 90 + 190 * int(row));
}

}  // namespace

PanelCommands::PanelCommands(CMainFrame& frame) : m_frame(frame) {
    m_state.changed = [this] { RefreshPanels(); };
}

PanelCommands::~PanelCommands() = default;

DocumentSession* PanelCommands::SessionDocument() const {
    for (CVandView* view : m_frame.Views())
        if (m_state.transform.IsFor(view->document().doc())) return &view->document();
    return nullptr;
}

void PanelCommands::EndSession() {
    m_state.transform = TransformSession{};
    if (IsTool(m_frame.currentTool()) && m_frame.currentTool() != cmd::kToolGradient &&
        m_frame.currentTool() != cmd::kColourRangeSelect && m_frame.currentTool() != cmd::kToolColourRange)
        m_frame.SetCurrentTool(cmd::kNone);
}

void PanelCommands::ToolChanging(int from, int to) {
    if (from == cmd::kEllipseTransform && to != from) m_frame.statusBar()->clearMessage();
}

void PanelCommands::ActiveViewChanged() {
    const int command = m_state.transform.command;
    if (command != cmd::kToolFreeRotate && command != cmd::kStretchSquash) return;
    CVandView* view = m_frame.ActiveView();
    if (!view || m_state.transform.IsFor(view->document().doc())) return;
    ShowLayerPreview(view->document(), command);
    // A picture the panel cannot work on (a text layer is current) ends the tool.
    if (!m_state.transform.IsFor(view->document().doc()) && m_frame.currentTool() == command)
        m_frame.SetCurrentTool(cmd::kNone);
}

void PanelCommands::RefreshPanels() {
    const TransformSession& s = m_state.transform;
    // The ellipse applied or dropped: its tool ends with it.
    if (m_frame.currentTool() == cmd::kEllipseTransform && s.command != cmd::kEllipseTransform)
        m_frame.SetCurrentTool(cmd::kNone);
    if (m_rotate && s.command == cmd::kToolFreeRotate) m_rotate->SetAngle(s.angle);
    if (m_stretch && s.command == cmd::kStretchSquash) m_stretch->SetSize(s.width, s.height);
    if (m_colourRange) {
        const ColourRangeState& c = m_state.colourRange;
        m_colourRange->ShowResult(c.picked ? QString::fromStdString(PixelCountText(c.result))
                                           : QString::fromUtf8(texts::kPixelCountLabel),
                                  c.picked, c.pickedColour);
    }
}

bool PanelCommands::OnCommand(int id) {
    if (!IsPanelCommand(id)) return false;
    CVandView* view = m_frame.ActiveView();
    if (!view) return true;
    DocumentSession& doc = view->document();
    switch (id) {
        case cmd::kResizePicture: {
            CDlg_ImageSize dialog(doc.Width(), doc.Height(), &m_frame);
            if (dialog.exec() == QDialog::Accepted && doc.Execute(id, dialog.Parameters())) m_frame.DocumentChanged(&doc);
            return true;
        }
        case cmd::kCanvasSize: {
            CDlg_CanvasSize dialog(doc.Width(), doc.Height(), &m_frame);
            if (dialog.exec() == QDialog::Accepted && doc.Execute(id, dialog.Parameters())) m_frame.DocumentChanged(&doc);
            return true;
        }
        case cmd::kToolFreeRotate:
        case cmd::kStretchSquash: ShowLayerPreview(doc, id); return true;
        case cmd::kToolScale:
        case cmd::kToolSkew:
        case cmd::kToolPerspective: ShowTransform(doc, id); return true;
        case cmd::kEllipseTransform: StartEllipse(doc); return true;
        case cmd::kColourRangeSelect:
        case cmd::kToolColourRange: ShowColourRange(doc); return true;
        case cmd::kToolGradient: ToggleGradient(); return true;
        case cmd::kRgbChannels: {
            CDlg_CHANNEL dialog(doc.doc(), &m_frame);
            dialog.exec();
            return true;
        }
        case cmd::kYuvSplit: Split(doc, ChannelModel::Yuv); return true;
        case cmd::kHslSplit: Split(doc, ChannelModel::Hsl); return true;
        default: return false;
    }
}

bool PanelCommands::OnUpdateCommand(int id, CommandState& state) {
    if (!IsPanelCommand(id)) return false;
    state.enabled = m_frame.ActiveView() != nullptr;
    state.checked = IsTool(id) && m_frame.currentTool() == id;
    return true;
}

void PanelCommands::CreateToolDialogs() {
    MakeGradientPanel();
    MakeTransformPanel();
    MakeRotatePanel();
    MakeStretchPanel();
}

void PanelCommands::MakeRotatePanel() {
    if (m_rotate) return;
    m_rotate = new DlgRotate(&m_frame);
    QObject::connect(m_rotate, &DlgRotate::angleChosen, m_rotate, [this](double degrees) {
        DocumentSession* d = SessionDocument();
        if (!d) return;
        m_state.transform.angle = float(degrees);
        PreviewRotation(m_state.transform, m_state.transform.angle);
        m_frame.DocumentChanged(d);
    });
    QObject::connect(m_rotate, &QDialog::finished, m_rotate, [this](int result) { FinishPreview(result); });
    Place(m_frame, m_rotate, kLayerPanelRow);
}

void PanelCommands::MakeStretchPanel() {
    if (m_stretch) return;
    m_stretch = new DlgStretch(&m_frame);
    QObject::connect(m_stretch, &DlgStretch::sizeChosen, m_stretch, [this](int w, int h) {
        DocumentSession* d = SessionDocument();
        if (!d) return;
        m_state.transform.width = w, m_state.transform.height = h;
        PreviewStretch(m_state.transform, w, h);
        m_frame.DocumentChanged(d);
    });
    QObject::connect(m_stretch, &QDialog::finished, m_stretch, [this](int result) { FinishPreview(result); });
    Place(m_frame, m_stretch, kLayerPanelRow);
}

void PanelCommands::MakeTransformPanel() {
    if (m_transform) return;
    m_transform = new DlgFreeTransform(&m_frame);
    QObject::connect(m_transform, &DlgFreeTransform::applyRequested, m_transform, [this] {
        DocumentSession* d = SessionDocument();
        CVandView* view = m_frame.ActiveView();
        if (!d || !view) return;
        const int command = m_state.transform.command;
        ApplyFreeTransform(d->doc(), command, m_state.transform.quad);
        StartFreeTransform(m_state.transform, d->doc(), command);
        m_frame.DocumentChanged(d);
    });
    QObject::connect(m_transform, &QDialog::rejected, m_transform, [this] {
        DocumentSession* d = SessionDocument();
        EndSession();
        if (d) m_frame.DocumentChanged(d);
    });
    Place(m_frame, m_transform, kLayerPanelRow);
}

void PanelCommands::MakeGradientPanel() {
    if (m_gradient) return;
    m_gradient = new CDlg_GradientBucket(&m_frame);
    m_gradient->SetChoices(m_state.gradient.colourMode, m_state.gradient.shape);
    QObject::connect(m_gradient, &CDlg_GradientBucket::choicesChanged, m_gradient, [this](int mode, int shape) {
        m_state.gradient.colourMode = mode;
        m_state.gradient.shape = shape;
    });
    Place(m_frame, m_gradient, kGradientRow);
}

void PanelCommands::FinishPreview(int result) {
    if (DocumentSession* d = SessionDocument()) {
        const TransformSession& s = m_state.transform;
        bool changed = s.angle != 0;
        if (s.command == cmd::kStretchSquash) {
            const LayerRecord& found = d->doc().Snapshots().Saved(SnapshotSlot::A, s.slot);
            changed = s.width != found.width || s.height != found.height;
        }
        if (AdjustmentPreview* preview = s.preview.get()) {
            if (result == QDialog::Accepted && changed) preview->Commit();
            else preview->Cancel();
        }
        m_frame.DocumentChanged(d);
    }
    EndSession();
}

void PanelCommands::DropPendingPreview() {
    // A rotation or stretch still previewed on some picture goes back to what it was.
    const int command = m_state.transform.command;
    if (command != cmd::kToolFreeRotate && command != cmd::kStretchSquash) return;
    if (DocumentSession* d = SessionDocument()) {
        if (m_state.transform.preview) m_state.transform.preview->Cancel();
        m_frame.DocumentChanged(d);
    }
    m_state.transform = TransformSession{};
    if (m_rotate) m_rotate->hide();
    if (m_stretch) m_stretch->hide();
}

void PanelCommands::ShowLayerPreview(DocumentSession& doc, int command) {
    DropPendingPreview();
    if (!StartLayerPreview(m_state.transform, doc.doc(), command)) return;
    m_frame.SetCurrentTool(command);
    QDialog* panel = nullptr;
    if (command == cmd::kToolFreeRotate) {
        MakeRotatePanel();
        m_rotate->SetAngle(0);
        panel = m_rotate;
    } else {
        MakeStretchPanel();
        m_stretch->SetSize(m_state.transform.width, m_state.transform.height);
        panel = m_stretch;
    }
    panel->show();
    panel->raise();
}

void PanelCommands::ShowTransform(DocumentSession& doc, int command) {
    DropPendingPreview();
    StartFreeTransform(m_state.transform, doc.doc(), command);
    if (!m_state.transform.IsFor(doc.doc())) return;
    m_frame.SetCurrentTool(command);
    MakeTransformPanel();
    m_transform->SetMode(command);
    m_transform->show();
    m_transform->raise();
    m_frame.DocumentChanged(&doc);
}

void PanelCommands::StartEllipse(DocumentSession& doc) {
    DropPendingPreview();
    // Chosen again after a zoom or another tool, the box placed so far stays.
    if (!IsEllipseSessionFor(m_state.transform, doc.doc()) && !BeginEllipseTransform(m_state.transform, doc.doc()))
        return;
    if (m_transform) m_transform->hide();
    m_frame.SetCurrentTool(cmd::kEllipseTransform);
    m_frame.statusBar()->showMessage(QString::fromUtf8(shelltexts::kEllipseHint));
    m_frame.DocumentChanged(&doc);
}

void PanelCommands::ShowColourRange(DocumentSession& doc) {
    if (!BeginColourRange(doc.doc())) return;
    m_state.colourRange.tolerance = kDefaultTolerance;
    m_state.colourRange.picked = false;
    m_state.colourRange.result = SimilarResult{};
    m_frame.SetCurrentTool(cmd::kColourRangeSelect);
    if (!m_colourRange) {
        m_colourRange = new CDlg_Find_SimPixelArea(&m_frame);
        QObject::connect(m_colourRange, &CDlg_Find_SimPixelArea::toleranceChosen, m_colourRange, [this](int value) {
            m_state.colourRange.tolerance = value;
            CVandView* view = m_frame.ActiveView();
            if (view && RepeatColourRange(view->document().doc(), m_state.colourRange)) {
                m_frame.DocumentChanged(&view->document());
                RefreshPanels();
                // The outline of the new selection runs while the picture has the focus.
                view->setFocus();
            }
        });
        QObject::connect(m_colourRange, &CDlg_Find_SimPixelArea::modeChosen, m_colourRange,
                         [this](bool add) { m_state.colourRange.add = add; });
        Place(m_frame, m_colourRange, kColourRangeRow);
    }
    m_colourRange->SetTolerance(kDefaultTolerance);
    m_colourRange->SetAddMode(m_state.colourRange.add);
    RefreshPanels();
    m_colourRange->show();
    m_colourRange->raise();
    m_frame.DocumentChanged(&doc);
}

void PanelCommands::ToggleGradient() {
    if (m_gradient && m_gradient->isVisible() && m_frame.currentTool() == cmd::kToolGradient) {
        m_gradient->hide();
        m_frame.SetCurrentTool(cmd::kNone);
        return;
    }
    m_frame.SetCurrentTool(cmd::kToolGradient);
    MakeGradientPanel();
    m_gradient->show();
    m_gradient->raise();
}

void PanelCommands::Split(DocumentSession& doc, ChannelModel model) {
    std::shared_ptr<DocumentSession> made[3];
    CVandDoc* targets[3];
    for (int k = 0; k < 3; ++k) {
        made[k] = std::make_shared<DocumentSession>();
        targets[k] = &made[k]->doc();
    }
    if (!SplitIntoDocuments(doc.doc(), model, m_titles, targets)) return;
    for (auto& document : made) {
        m_frame.AttachDocument(document.get());
        m_frame.AddDocumentView(document);
    }
}

void PanelCommands::PaintOverlay(QPainter& painter, CVandView& view) {
    TransformSession& s = m_state.transform;
    const CVandDoc& doc = view.document().doc();
    if (m_frame.currentTool() == cmd::kEllipseTransform && s.IsFor(doc)) {
        // Another layer chosen meanwhile: the box starts again on its rectangle.
        if (!IsEllipseSessionFor(s, doc) && !StartEllipseTransform(s, doc)) return;
        PaintEllipseBox(painter, s.box, LayerCanvasRect(doc.Layer(s.slot), doc.Header()),
                        MappingOf(view.document().view(), doc.Header().width, doc.Header().height));
        return;
    }
    if (!cmd::IsTransformTool(m_frame.currentTool()) || !s.IsFor(doc)) return;
    // Another layer chosen meanwhile: the handles start again on its corners.
    if (s.slot != doc.CurrentLayer()) StartFreeTransform(s, doc, s.command);
    if (!doc.IsLayerInList(s.slot)) return;
    QPolygonF outline;
    for (int k = 0; k < 4; ++k) {
        const HandlePoint h = HandleWindowPoint(s, doc, view.document().view(), k);
        outline << QPointF(h.x, h.y);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawPolygon(outline);
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.drawPolygon(outline);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    for (const QPointF& p : outline) painter.drawRect(QRectF(p.x() - 4, p.y() - 4, 8, 8));
}

}  // namespace quillory
