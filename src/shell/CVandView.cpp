#include "shell/CVandView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>

#include "shell/CDlg_Layer.h"
#include "shell/CMainFrame.h"
#include "shell/MenuTable.h"
#include "shell/MicroCommands.h"
#include "measure/MeasureTool.h"
#include "shell/PanelCommands.h"
#include "shell/StatusFields.h"
#include "shell/ToolSettingsBar.h"
#include "core/CommandIds.h"
#include "view/SelectionOutline.h"
#include "view/tools/GuidePathTool.h"
#include "view/tools/MoveTool.h"
#include "document/SelectionEditing.h"

namespace quillory {

CVandView::CVandView(std::shared_ptr<DocumentSession> document, CMainFrame* frame, QWidget* parent)
    : QAbstractScrollArea(parent),
      m_document(std::move(document)),
      m_mainFrame(frame),
      m_composite(std::make_unique<CompositeCache>(m_document->header(), m_document->stack())),
      m_navigation(std::make_unique<CanvasNavigation>(*this)) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    setFrameShape(QFrame::NoFrame);
    viewport()->setMouseTracking(true);  // the tools see moves without a button too
    m_timer.setInterval(kSelectionTimerPeriodMs);
    connect(&m_timer, &QTimer::timeout, this, &CVandView::OnTimerTick);
    m_textEntry = std::make_unique<TextEntryView>(*this, frame);
    viewport()->grabGesture(Qt::PinchGesture);
    OnUpdate(0);
}

CVandView::~CVandView() { m_timer.stop(); }

void CVandView::ApplyCursor(int cursorKind) {
    switch (cursorKind) {
        case 1: viewport()->setCursor(Qt::ArrowCursor); break;
        case 2: viewport()->setCursor(Qt::UpArrowCursor); break;
        case 3: viewport()->setCursor(Qt::PointingHandCursor); break;  // the program's own cursor
        case 4: viewport()->setCursor(Qt::IBeamCursor); break;
        default: viewport()->setCursor(Qt::CrossCursor); break;
    }
}

ScrollGeometry CVandView::CurrentScroll() const {
    return ScrollGeometry{m_totalWidth, m_totalHeight, horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void CVandView::ApplyScroll(const ScrollGeometry& g) {
    m_totalWidth = g.totalWidth;
    m_totalHeight = g.totalHeight;
    // Without scroll bars when the whole range fits the area they would leave.
    QSize client = viewport()->size();
    const QSize room = maximumViewportSize();
    if (g.totalWidth <= room.width() && g.totalHeight <= room.height()) client = room;
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    // The ranges change with their signals: on them the window shows or hides its scroll bars.
    h->setRange(0, std::max(0, g.totalWidth - client.width()));
    h->setPageStep(std::max(1, client.width()));
    h->setSingleStep(std::max(1, client.width() / 10));
    v->setRange(0, std::max(0, g.totalHeight - client.height()));
    v->setPageStep(std::max(1, client.height()));
    v->setSingleStep(std::max(1, client.height() / 10));
    QSignalBlocker blockH(h), blockV(v);
    h->setValue(g.x);
    v->setValue(g.y);
    SyncState();
}

QPoint CVandView::VisiblePictureTopLeft() const {
    const ToolEvent at = MakeToolEvent(m_document->view(), m_document->Width(), m_document->Height(), 0, 0);
    return QPoint(std::max(0, at.pictureX), std::max(0, at.pictureY));
}

void CVandView::SyncState() {
    ViewState& s = m_document->view();
    s.clientRect = InclusiveRect{0, 0, viewport()->width() - 1, viewport()->height() - 1};
    s.scrollX = horizontalScrollBar()->value();
    s.scrollY = verticalScrollBar()->value();
}

void CVandView::OnUpdate(int hint) {
    ViewState& s = m_document->view();
    const QSize client = viewport()->size();
    if (hint == kUpdateHintZoom) {
        const ScrollGeometry old = CurrentScroll();
        ApplyScroll(UpdateForZoom(s, old, m_document->Width(), m_document->Height(), client.width(), client.height()));
        FitChildFrame();
    } else {
        ApplyScroll(UpdateScrollRange(s, CurrentScroll(), m_document->Width(), m_document->Height(), client.width(),
                                      client.height()));
        // A picture that changed its size (canvas, resize, rotation, undo) gets a window that fits it again.
        if (m_fittedSize != QSize(m_document->Width(), m_document->Height()) && !m_fittedSize.isEmpty()) {
            m_fittedSize = QSize(m_document->Width(), m_document->Height());
            FitChildFrame();
        }
    }
    m_fittedSize = QSize(m_document->Width(), m_document->Height());
    s.needsRedraw = 1;
    GetPictureRect(s, m_document->Width(), m_document->Height());
    viewport()->update();
    // The status bar's zoom and size fields follow the active window.
    if (m_mainFrame && m_mainFrame->statusFields() && m_mainFrame->ActiveView() == this)
        m_mainFrame->statusFields()->ShowPicture(this);
}

void CVandView::UpdateAllViews(int hint) {
    if (m_mainFrame)
        m_mainFrame->UpdateAllViews(m_document.get(), hint);
    else
        OnUpdate(hint);
}

void CVandView::FitChildFrame() {
    ViewState& s = m_document->view();
    auto* child = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!child || s.fitToWindow || child->isMinimized() || child->isMaximized() || s.keepFrameSize) {
        s.keepFrameSize = 0;
        return;
    }
    QWidget* area = child->parentWidget();
    // Before the frame is laid out there is no free space to measure; the frame fits its views when shown.
    if (!area || !area->isVisible()) return;
    // A window outside the free space (or no free space yet) keeps its size.
    if (area->width() - child->x() < 64 || area->height() - child->y() < 64) return;
    const QSize room = maximumViewportSize();  // the client without scroll bars
    const int borderW = child->width() - room.width();
    const int borderH = child->height() - room.height();
    const FrameSize size = FrameSizeForZoom(ZoomedSize(m_document->Width(), s.zoom),
                                            ZoomedSize(m_document->Height(), s.zoom), area->width() - child->x(),
                                            area->height() - child->y(), borderW, borderH);
    child->resize(size.width, size.height);
    s.keepFrameSize = 0;
}

void CVandView::paintEvent(QPaintEvent* event) {
    const QSize client = viewport()->size();
    if (client.isEmpty()) return;
    if (m_frame.size() != client) m_frame = QImage(client, QImage::Format_RGB32);
    SyncState();
    ViewState& s = m_document->view();
    // Another view's paint may have cleared the flag for a change this view has not drawn yet.
    if (m_seenGeneration != m_document->generation()) {
        s.needsRedraw = 1;
        if (!m_document->changes().ChangesSince(m_seenGeneration,
                                                [&](const IntRect& region) { m_composite->InvalidateRegion(region); }))
            m_composite->Invalidate();
        m_seenGeneration = m_document->generation();
    }
    GetPictureRect(s, m_document->Width(), m_document->Height());
    TargetBuffer target(reinterpret_cast<uint32_t*>(m_frame.bits()), m_frame.width(), m_frame.height(),
                        int(m_frame.bytesPerLine() / 4));
    const QRect r = event->rect();
    const IntRect clip{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    ViewPaintSettings settings;
    if (m_mainFrame) {
        settings.gridSpacing = m_mainFrame->env().gridSpacing;
        settings.gridColour = uint32_t(m_mainFrame->env().gridColour);
        // The environment's choice of how transparent pixels show is the hatch style behind the picture.
        settings.hatchStyle = m_mainFrame->env().transparencyDisplay;
    }
    SyncSelection();
    OverlayInputs overlay;
    overlay.outlineShown = m_timerRules.outlineShown();
    overlay.currentTool = m_mainFrame ? m_mainFrame->currentTool() : cmd::kNone;
    const int cur = m_document->stack().currentLayer;
    if (LayerStack::IsValidIndex(cur)) overlay.currentLayerKind = m_document->stack().Layer(cur).kind;
    const DisplayGeometry g = ComputeDisplay(s, m_document->Width(), m_document->Height(), m_frame.width(), m_frame.height());
    const SelectionMask& selection = m_document->doc().State().selection;
    const int pictureW = m_document->Width(), pictureH = m_document->Height();
    const OverlayPainter outline = [&](TargetBuffer& part, int originX, int originY, int kind, uint8_t phase) {
        if (kind == kOverlayOutline)
            DrawSelectionOutline(part, originX, originY, g.scaleX, g.scaleY, selection, pictureW, pictureH, phase);
    };
    m_lastPaint = m_renderer.Paint(target, clip, s, *m_composite, settings, ChooseOverlayKind(overlay), outline);
    QPainter painter(viewport());
    painter.drawImage(r, m_frame, r);
    if (m_mainFrame) m_mainFrame->panels().PaintOverlay(painter, *this);
    PaintToolOverlay(painter);
    m_textEntry->Paint(painter);
}

void CVandView::PaintToolOverlay(QPainter& painter) {
    const ViewState& s = m_document->view();
    const int w = m_document->Width(), h = m_document->Height();
    if (w <= 0 || h <= 0) return;
    const PictureMapping m = MappingOf(s, w, h);
    auto at = [&](const std::pair<int, int>& p) {
        return QPointF(m.originX + (p.first + 0.5) * m.scaleX, m.originY + (p.second + 0.5) * m.scaleY);
    };
    auto draw = [&](const ToolOverlay& overlay, const QColor& dark) {
        if (overlay.shape == ToolOverlay::Shape::None || overlay.points.empty()) return;
        QPolygonF points;
        for (const auto& p : overlay.points) points << at(p);
        for (int pass = 0; pass < 2; ++pass) {
            painter.setPen(pass == 0 ? QPen(Qt::white, 1) : QPen(dark, 1, Qt::DashLine));
            painter.setBrush(Qt::NoBrush);
            switch (overlay.shape) {
                case ToolOverlay::Shape::Rectangle:
                    painter.drawRect(QRectF(points[0], points[points.size() - 1]).normalized());
                    break;
                case ToolOverlay::Shape::Line:
                case ToolOverlay::Shape::Polyline: painter.drawPolyline(points); break;
                case ToolOverlay::Shape::Polygon: painter.drawPolygon(points); break;
                case ToolOverlay::Shape::Circle: {
                    const QPointF d = points[points.size() - 1] - points[0];
                    const double r = std::hypot(d.x() / m.scaleX, d.y() / m.scaleY);
                    painter.drawEllipse(points[0], r * m.scaleX, r * m.scaleY);
                    break;
                }
                case ToolOverlay::Shape::None: break;
            }
        }
    };
    painter.setRenderHint(QPainter::Antialiasing, false);
    // The rubber band of the tool at work; a drawn outline until the animation fills it.
    if (m_tool && m_mainFrame && m_toolId == m_mainFrame->currentTool()) {
        const ToolOverlay overlay = m_tool->Overlay();
        const bool outline = overlay.shape == ToolOverlay::Shape::Polygon;
        if (!outline || !m_document->doc().State().selection.filled) draw(overlay, Qt::black);
    }
    // The guide-point path and its points.
    const ToolOverlay path = PathOverlay(m_document->doc());
    draw(path, QColor(0, 90, 220));
    painter.setPen(QPen(QColor(0, 90, 220), 1));
    painter.setBrush(Qt::white);
    for (const auto& p : path.points) painter.drawRect(QRectF(at(p) - QPointF(3, 3), QSizeF(6, 6)));
}

void CVandView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    OnUpdate(0);
}

void CVandView::scrollContentsBy(int dx, int dy) {
    ViewState& s = m_document->view();
    s.needsRedraw = 1;
    SyncState();
    // What stays in view moves with the picture; only the uncovered strip is painted.
    viewport()->scroll(dx, dy);
}

void CVandView::wheelEvent(QWheelEvent* event) { m_navigation->Wheel(event); }

bool CVandView::viewportEvent(QEvent* event) {
    if (m_navigation->Gesture(event)) return true;
    return QAbstractScrollArea::viewportEvent(event);
}

void CVandView::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_mainFrame) return;
    const MenuItem& items = m_mainFrame->micro().Measuring() ? MeasureContextMenu() : CanvasContextMenu();
    std::unique_ptr<QMenu> menu(m_mainFrame->BuildMenu(items, this));
    menu->exec(event->globalPos());
}

int CVandView::VectorEditKey(const QKeyEvent* event) const {
    if (!m_mainFrame || event->modifiers() != Qt::ControlModifier) return 0;
    if (event->key() == Qt::Key_Z) return m_mainFrame->micro().VectorEditFor(cmd::kEditUndo);
    if (event->key() == Qt::Key_Y) return m_mainFrame->micro().VectorEditFor(cmd::kEditRedo);
    return 0;
}

bool CVandView::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && m_textEntry->TakesShortcut(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    // While measuring, Ctrl+Z and Ctrl+Y on the canvas take one object out or back.
    if (event->type() == QEvent::ShortcutOverride && VectorEditKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void CVandView::keyPressEvent(QKeyEvent* event) {
    if (m_textEntry->KeyPress(event)) return;
    if (const int edit = VectorEditKey(event)) {
        m_mainFrame->Dispatch(edit);
        event->accept();
        return;
    }
    ViewState& s = m_document->view();
    // Held left Shift repeats; only then do the tools constrain their shapes.
    s.shiftHeld = (event->key() == Qt::Key_Shift && event->isAutoRepeat()) ? 1 : 0;
    // Space readies the pan, except for the text tool, which types it.
    if ((!m_mainFrame || m_mainFrame->currentTool() != cmd::kToolText) && m_navigation->KeyPress(event)) return;
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const int current = m_mainFrame ? m_mainFrame->currentTool() : cmd::kNone;
    // The tool takes Enter and Esc even before the mouse has been over the view.
    if ((enter || event->key() == Qt::Key_Escape) && ToolRegistry::Instance().Has(current) && ToolFor(current)) {
        ToolContext context = ContextFor(current);
        if (m_tool->Key(context, enter ? '\r' : 27)) {
            m_mainFrame->DocumentChanged(m_document.get());
            event->accept();
            return;
        }
    }
    // Escape ends a continuous measurement.
    if (event->key() == Qt::Key_Escape && m_mainFrame && IsMeasureTool(m_mainFrame->currentTool())) {
        m_mainFrame->Dispatch(cmd::kMeasureContinuousOff);
        event->accept();
        return;
    }
    if (m_mainFrame && m_mainFrame->currentTool() == cmd::kToolMove) {
        int dx = 0, dy = 0;
        switch (event->key()) {
            case Qt::Key_Left: dx = -1; break;
            case Qt::Key_Up: dy = -1; break;
            case Qt::Key_Right: dx = 1; break;
            case Qt::Key_Down: dy = 1; break;
            default: break;
        }
        if (dx || dy) {
            // An outlined selection is lifted first and moves as a floating layer.
            const DocumentState& state = m_document->doc().State();
            bool moved = false;
            if (state.selection.selectionActive || state.floatingPending) {
                moved = MoveLayerOrSelection(m_document->doc(), dx, dy, true);
                if (moved) m_document->MarkChanged();
            } else {
                moved = m_document->MoveCurrentLayer(dx, dy);
            }
            if (moved) {
                UpdateAllViews(0);
                m_mainFrame->RefreshLayerWindow();
            }
            event->accept();
            return;
        }
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CVandView::keyReleaseEvent(QKeyEvent* event) {
    m_document->view().shiftHeld = 0;
    if (m_navigation->KeyRelease(event)) return;
    QAbstractScrollArea::keyReleaseEvent(event);
}

void CVandView::SyncSelection() {
    const SelectionMask& selection = m_document->doc().State().selection;
    if (selection.selectionActive && !m_timerRules.outlineShown() && !m_timerRules.resumePending()) {
        m_timerRules.Start();
        m_timer.start();
    } else if (!selection.ActiveOrSuspended() && (m_timerRules.outlineShown() || m_timerRules.resumePending())) {
        m_timerRules.Clear();
        m_timer.stop();
    }
}

void CVandView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    // A menu that opens and closes over the view does not take the focus from it.
    if (event->reason() == Qt::PopupFocusReason) return;
    if (m_timerRules.OnFocusGained()) {
        SelectionMask& selection = m_document->doc().State().selection;
        if (selection.suspended) selection.selectionActive = 1, selection.suspended = 0;
        m_document->view().needsRedraw = 1;
        m_timer.start();
        viewport()->update();
    }
}

void CVandView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason) return;
    const bool shown = m_timerRules.outlineShown();
    m_timerRules.OnFocusLost();
    m_timer.stop();
    // The outline is switched off until the view has the focus again.
    SelectionMask& selection = m_document->doc().State().selection;
    if (shown && selection.selectionActive) selection.selectionActive = 0, selection.suspended = 1;
}

void CVandView::OnTimerTick() {
    switch (m_timerRules.OnTick(m_document->doc().State().busy != 0)) {
        case SelectionTimer::TickAction::RedrawOutline:
            // A drawn outline gets its interior at the first tick.
            // The selection only: the layers' composite stays as it is.
            if (SettleSelection(m_document->doc())) m_document->MarkChanged(IntRect{});
            viewport()->update();
            break;
        case SelectionTimer::TickAction::Rested: m_timer.stop(); break;
        case SelectionTimer::TickAction::None: break;
    }
}

void CVandView::mousePressEvent(QMouseEvent* event) {
    if (m_navigation->MousePress(event)) return;
    if (event->button() == Qt::LeftButton && m_mainFrame && m_mainFrame->currentTool() == cmd::kZoomIn) {
        const QPoint p = event->position().toPoint();
        ZoomInAt(p.x(), p.y());
        return;
    }
    // A press on the text being typed keeps it running: its double click opens the text dialog.
    if (event->button() == Qt::LeftButton && m_textEntry->PressOnEntry(event->position().toPoint())) return;
    if (!ForwardToTool(ToolStep::Press, event)) QAbstractScrollArea::mousePressEvent(event);
}

void CVandView::mouseMoveEvent(QMouseEvent* event) {
    if (m_navigation->MouseMove(event)) return;
    if (!ForwardToTool(ToolStep::Move, event)) QAbstractScrollArea::mouseMoveEvent(event);
}

void CVandView::mouseReleaseEvent(QMouseEvent* event) {
    if (m_navigation->MouseRelease(event)) return;
    if (!ForwardToTool(ToolStep::Release, event)) QAbstractScrollArea::mouseReleaseEvent(event);
}

void CVandView::inputMethodEvent(QInputMethodEvent* event) {
    if (!m_textEntry->InputMethod(event)) QAbstractScrollArea::inputMethodEvent(event);
}

QVariant CVandView::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (m_textEntry->Active()) return m_textEntry->Query(query);
    return QAbstractScrollArea::inputMethodQuery(query);
}

void CVandView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_textEntry->DoubleClick()) return;
    if (!ForwardToTool(ToolStep::DoubleClick, event)) QAbstractScrollArea::mouseDoubleClickEvent(event);
}

ViewTool* CVandView::ToolFor(int id) {
    if (!m_mainFrame || !ToolRegistry::Instance().Has(id)) {
        m_textEntry->CommitPending();
        m_tool.reset();
        ShowToolCursor(ToolCursor::Default);
        return nullptr;
    }
    if (!m_tool || m_toolId != id) {
        m_textEntry->CommitPending();
        m_tool = ToolRegistry::Instance().Create(id);
        m_toolId = id;
        ShowToolCursor(ToolCursor::Default);
    }
    return m_tool.get();
}

void CVandView::ShowToolCursor(ToolCursor cursor) {
    if (cursor == m_toolCursor) return;
    m_toolCursor = cursor;
    switch (cursor) {
        case ToolCursor::Move: viewport()->setCursor(Qt::SizeAllCursor); break;
        case ToolCursor::SizeHorizontal: viewport()->setCursor(Qt::SizeHorCursor); break;
        case ToolCursor::SizeVertical: viewport()->setCursor(Qt::SizeVerCursor); break;
        case ToolCursor::SizeDiagonal: viewport()->setCursor(Qt::SizeFDiagCursor); break;
        case ToolCursor::SizeAntiDiagonal: viewport()->setCursor(Qt::SizeBDiagCursor); break;
        case ToolCursor::Default: ApplyCursor(m_mainFrame ? m_mainFrame->env().cursorKind : 0); break;
    }
}

ToolContext CVandView::ContextFor(int id) {
    ViewState& s = m_document->view();
    SyncState();
    GetPictureRect(s, m_document->Width(), m_document->Height());
    const EnvSettings& env = m_mainFrame->env();
    ToolContext context{m_document->doc(), s, id, uint32_t(env.foreground), uint32_t(env.background), env.brushSize};
    context.panels = &m_mainFrame->panelState();
    if (const ToolSettingsBar* bar = m_mainFrame->toolSettings()) {
        context.softBrush = bar->softBrush();
        context.toolValue1 = bar->toolValue1();
        context.toolValue2 = bar->toolValue2();
    }
    return context;
}

bool CVandView::ForwardToTool(ToolStep step, QMouseEvent* event) {
    if (!m_mainFrame) return false;
    const int id = m_mainFrame->currentTool();
    if (!ToolFor(id)) return false;
    ToolContext context = ContextFor(id);
    ViewState& s = context.view;
    const QPoint p = event->position().toPoint();
    ToolEvent e = MakeToolEvent(s, m_document->Width(), m_document->Height(), p.x(), p.y());
    e.shift = event->modifiers() & Qt::ShiftModifier;
    e.control = event->modifiers() & Qt::ControlModifier;
    const bool hadOverlay = m_tool->Overlay().shape != ToolOverlay::Shape::None;
    bool changed = false;
    {
        DocumentSession::ToolEventScope event(*m_document);
        switch (step) {
            case ToolStep::Press: changed = m_tool->Press(context, e); break;
            case ToolStep::Move: changed = m_tool->Move(context, e); break;
            case ToolStep::Release: changed = m_tool->Release(context, e); break;
            case ToolStep::DoubleClick: changed = m_tool->DoubleClick(context, e); break;
        }
        changed |= event.WholeAsked();
    }
    if (context.foregroundPicked) m_mainFrame->SetForegroundColour(int32_t(context.foreground));
    if (step == ToolStep::Move || step == ToolStep::Release) ShowToolCursor(m_tool->CursorAt(context, e));
    // The rubber band follows the pointer.
    if (!changed && (hadOverlay || m_tool->Overlay().shape != ToolOverlay::Shape::None)) viewport()->update();
    if (changed) {
        // The composite is blended again only where the tool reports a change.
        if (context.RegionOnly()) m_document->MarkChanged(context.changedRegion);
        else m_document->MarkChanged();
        UpdateAllViews(0);
        m_mainFrame->RefreshLayerWindow();
        m_mainFrame->RefreshCommandStates();
    }
    if (step == ToolStep::Press) m_textEntry->Sync();
    if (IsMeasureTool(id)) m_mainFrame->micro().AfterMouse(*m_document);
    return true;
}

void CVandView::ZoomInAt(int x, int y) {
    ViewState& s = m_document->view();
    SyncState();
    GetPictureRect(s, m_document->Width(), m_document->Height());
    // The anchor is the window point: the picture point under it stays there.
    if (ZoomIn(s, x, y)) UpdateAllViews(kUpdateHintZoom);
    if (m_mainFrame) m_mainFrame->RefreshCommandStates();
}

bool CVandView::ZoomStepAt(bool zoomIn, QPoint viewportPoint) {
    ViewState& s = m_document->view();
    const int tool = m_mainFrame ? m_mainFrame->currentTool() : cmd::kNone;
    // Where the zoom commands are refused, so is the wheel.
    if (!(zoomIn ? ZoomInEnabled(s) : ZoomOutEnabled(s))) return false;
    SyncState();
    GetPictureRect(s, m_document->Width(), m_document->Height());
    if (zoomIn) {
        if (!ZoomIn(s, viewportPoint.x(), viewportPoint.y())) return false;
    } else {
        if (!ZoomOut(s, tool)) return false;
        s.zoomAnchorX = viewportPoint.x();
        s.zoomAnchorY = viewportPoint.y();
    }
    // The window keeps its size, so the picture point stays under the pointer.
    s.keepFrameSize = 1;
    UpdateAllViews(kUpdateHintZoom);
    // A zoom out leaves no anchor behind, as the command does.
    if (!zoomIn) s.zoomAnchorX = s.zoomAnchorY = -1;
    if (m_mainFrame) m_mainFrame->RefreshCommandStates();
    return true;
}

bool CVandView::OnCommand(int id) {
    // Typed text goes into the picture before any command acts on it.
    m_textEntry->CommitPending();
    ViewState& s = m_document->view();
    switch (id) {
        case cmd::kZoomIn: {
            if (!ZoomInEnabled(s)) return true;
            int tool = m_mainFrame ? m_mainFrame->currentTool() : cmd::kNone;
            const bool selection = m_document->doc().State().selection.ActiveOrSuspended();
            if (ZoomInCommand(s, tool, selection) == ZoomInCommandResult::Zoomed)
                UpdateAllViews(kUpdateHintZoom);
            if (m_mainFrame) m_mainFrame->SetCurrentTool(tool);
            return true;
        }
        case cmd::kZoomOut: {
            if (!ZoomOutEnabled(s)) return true;
            const int tool = m_mainFrame ? m_mainFrame->currentTool() : cmd::kNone;
            if (ZoomOut(s, tool)) {
                // The update runs with no tool current.
                if (m_mainFrame) m_mainFrame->SetCurrentTool(cmd::kNone);
                UpdateAllViews(kUpdateHintZoom);
                if (m_mainFrame) m_mainFrame->SetCurrentTool(tool);
                setFocus();
            }
            return true;
        }
        case cmd::kActualSize:
            if (ActualSizeEnabled(s) && ZoomActualSize(s)) {
                s.zoomAnchorX = s.zoomAnchorY = -1;
                UpdateAllViews(kUpdateHintZoom);
            }
            return true;
        case cmd::kFitToWindow:
            ToggleFitToWindow(s);
            UpdateAllViews(0);
            return true;
        case cmd::kGrid:
            if (m_mainFrame) m_mainFrame->env().gridSpacing = -m_mainFrame->env().gridSpacing;
            s.needsRedraw = 1;
            viewport()->update();
            return true;
        default: return false;
    }
}

bool CVandView::OnUpdateCommand(int id, CommandState& state) {
    const ViewState& s = m_document->view();
    switch (id) {
        case cmd::kZoomIn:
            state.enabled = ZoomInEnabled(s);
            // The button shows pressed while the zoom tool waits for its click.
            state.checked = m_mainFrame && m_mainFrame->currentTool() == cmd::kZoomIn;
            return true;
        case cmd::kZoomOut: state.enabled = ZoomOutEnabled(s); return true;
        case cmd::kActualSize: state.enabled = ActualSizeEnabled(s); return true;
        case cmd::kFitToWindow: state.checked = s.fitToWindow != 0; return true;
        case cmd::kGrid: state.checked = m_mainFrame && m_mainFrame->env().gridSpacing > 0; return true;
        case cmd::kLayerMergeDown:
        case cmd::kLayerMergeUp: {
            // Offered only when the current layer has the neighbour the merge takes.
            const CVandDoc& doc = m_document->doc();
            const int current = doc.CurrentLayer();
            if (!doc.IsLayerInList(current)) return false;
            const LayerRecord& layer = doc.Layer(current);
            state.enabled = (id == cmd::kLayerMergeDown ? layer.next : layer.prev) >= 0;
            return true;
        }
        default: return false;
    }
}

void CVandView::Print(QPrinter& printer) {
    std::unique_ptr<NyZazo> picture = m_document->FlatPicture();
    if (!picture) return;
    const int w = picture->Width(), h = picture->Height();
    QImage image(w, h, QImage::Format_RGB32);
    for (int screenY = 0; screenY < h; ++screenY) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(screenY));
        const uint8_t* src = picture->Row(h - 1 - screenY);
        for (int x = 0; x < w; ++x) row[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
    }
    const QRect place = PrintRect(printer.logicalDpiX(), printer.logicalDpiY(), w, h, picture->dpiX, picture->dpiY);
    QPainter painter(&printer);
    if (!place.isEmpty()) painter.drawImage(place, image);
}

QRect CVandView::PrintRect(int deviceDpiX, int deviceDpiY, int width, int height, int dpiX, int dpiY) {
    // A picture without resolution prints at the screen's 96 dots per inch.
    if (dpiX <= 0) dpiX = 96;
    if (dpiY <= 0) dpiY = 96;
    const int64_t w = int64_t(deviceDpiX) * width / dpiX - 100;
    const int64_t h = int64_t(deviceDpiY) * height / dpiY - 100;
    if (w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX) return {};
    return QRect(100, 100, int(w), int(h));
}

}  // namespace quillory
