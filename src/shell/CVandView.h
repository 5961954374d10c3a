#pragma once
// The canvas view: a scrolling window that blits what the view pipeline painted.
// Zoom, fit-to-window, the grid, the move tool's arrow keys, the selection timer
// and printing; the mouse tools act through the current tool id.
#include <QAbstractScrollArea>
#include <QImage>
#include <QTimer>
#include <memory>

#include "shell/CanvasNavigation.h"
#include "shell/CommandRouter.h"
#include "shell/DocumentSession.h"
#include "shell/TextEntryView.h"
#include "view/CompositeCache.h"
#include "view/SelectionTimer.h"
#include "view/ViewRender.h"
#include "view/ViewTool.h"
#include "view/ViewZoom.h"

class QPainter;
class QPrinter;

namespace quillory {

class CMainFrame;

class CVandView : public QAbstractScrollArea, public CommandTarget {
    Q_OBJECT
public:
    CVandView(std::shared_ptr<DocumentSession> document, CMainFrame* frame, QWidget* parent = nullptr);
    ~CVandView() override;

    DocumentSession& document() { return *m_document; }
    std::shared_ptr<DocumentSession> sharedDocument() { return m_document; }

    // The update of the document's views: hint 1025 after a zoom change.
    void OnUpdate(int hint);
    // A zoom change seen by every view of the document.
    void UpdateAllViews(int hint);
    // Resizes the child frame so its client fits the zoomed picture (not when minimised or maximised).
    void FitChildFrame();

    // The selection timer pauses while a modal dialog of the frame is open.
    void PauseSelectionTimer() { m_timer.stop(); }
    void ResumeSelectionTimer() {
        if (m_timerRules.running()) m_timer.start();
    }
    bool SelectionTimerActive() const { return m_timer.isActive(); }
    // The cursor of the environment's cursor kind.
    void ApplyCursor(int cursorKind);

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    // Draws the picture on a printer page at (100, 100), sized by the device's resolution.
    void Print(QPrinter& printer);
    // Where the picture goes on the page: at (100, 100), its printed size less 100 dots each way.
    static QRect PrintRect(int deviceDpiX, int deviceDpiY, int width, int height, int dpiX, int dpiY);

    // The last paint's result, for tests and the benchmark of the blit.
    const PaintResult& lastPaint() const { return m_lastPaint; }
    const SelectionTimer& selectionTimer() const { return m_timerRules; }
    QImage RenderedImage() const { return m_frame; }
    // The scroll range (the zoomed picture) and position.
    ScrollGeometry scrollGeometry() const { return CurrentScroll(); }
    // The picture pixel at the top-left of the visible part (rows from the top).
    QPoint VisiblePictureTopLeft() const;
    // The tool the mouse last worked with, and the text tool's typing.
    ViewTool* activeTool() const { return m_tool.get(); }
    TextEntryView& textEntry() { return *m_textEntry; }

    // One step of the zoom commands, in or out, keeping the picture point under the
    // viewport point where it is (the wheel and the pinch); false when the command would refuse.
    bool ZoomStepAt(bool zoomIn, QPoint viewportPoint);
    CanvasNavigation& navigation() { return *m_navigation; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // The measurement object edit the key means while measuring, else 0.
    int VectorEditKey(const QKeyEvent* event) const;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    bool viewportEvent(QEvent* event) override;

private:
    void ApplyScroll(const ScrollGeometry& geometry);
    ScrollGeometry CurrentScroll() const;
    void SyncState();
    void OnTimerTick();
    void ZoomInAt(int x, int y);
    // Starts or clears the outline animation when the document's selection appeared or went.
    void SyncSelection();
    // Hands a mouse event to the current tool; repaints when the picture changed.
    enum class ToolStep { Press, Move, Release, DoubleClick };
    bool ForwardToTool(ToolStep step, QMouseEvent* event);
    // The view's tool object for a tool id, made when the id changed; null for an id without one.
    ViewTool* ToolFor(int id);
    // What the tool works with, the mapping brought up to date first.
    ToolContext ContextFor(int id);
    // The tool's pointer shape; Default goes back to the environment's cursor.
    void ShowToolCursor(ToolCursor cursor);
    // The tool's rubber band or outline and the guide-point path over the picture.
    void PaintToolOverlay(QPainter& painter);

    std::shared_ptr<DocumentSession> m_document;
    CMainFrame* m_mainFrame;
    ViewRenderer m_renderer;
    // The layer composite kept between paints; told of every change the document reports.
    std::unique_ptr<CompositeCache> m_composite;
    QImage m_frame;
    PaintResult m_lastPaint;
    QTimer m_timer;
    SelectionTimer m_timerRules;
    int m_totalWidth = 0, m_totalHeight = 0;
    QSize m_fittedSize;  // the picture size the window was last fitted to
    uint64_t m_seenGeneration = ~uint64_t(0);
    std::unique_ptr<ViewTool> m_tool;
    int m_toolId = -1;
    ToolCursor m_toolCursor = ToolCursor::Default;
    std::unique_ptr<TextEntryView> m_textEntry;
    std::unique_ptr<CanvasNavigation> m_navigation;
};

}  // namespace quillory
