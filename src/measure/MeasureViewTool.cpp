#include "measure/MeasureViewTool.h"

#include "core/CommandIds.h"
#include "measure/MeasureTool.h"

namespace quillory {

namespace {

MeasurePoint PointOf(const ToolEvent& event) { return MeasurePoint{event.pictureX, event.pictureY}; }

MeasureTextPrompt& TextPrompt() {
    static MeasureTextPrompt prompt;
    return prompt;
}

}  // namespace

void SetMeasureTextPrompt(MeasureTextPrompt prompt) { TextPrompt() = std::move(prompt); }

bool MeasureViewTool::Press(ToolContext& context, const ToolEvent& event) {
    std::string text;
    if (context.currentTool == cmd::kToolMeasureText) {
        // The text is asked for at the press; no release follows the dialog.
        if (!TextPrompt() || !TextPrompt()(text)) return false;
        return MeasurePress(context.document, context.currentTool, PointOf(event), text);
    }
    m_down = true;
    return MeasurePress(context.document, context.currentTool, PointOf(event), text);
}

bool MeasureViewTool::Move(ToolContext& context, const ToolEvent& event) {
    return m_down && MeasureDrag(context.document, context.currentTool, PointOf(event));
}

bool MeasureViewTool::Release(ToolContext& context, const ToolEvent& event) {
    if (!m_down) return false;
    m_down = false;
    return MeasureRelease(context.document, context.currentTool, PointOf(event));
}

void RegisterMeasureViewTools(ToolRegistry& registry) {
    for (int id : {cmd::kToolMeasureSelect, cmd::kToolPointMark, cmd::kToolMeasureSegment, cmd::kToolParallelLines,
                   cmd::kToolMeasureRectangle, cmd::kToolLineDistance, cmd::kToolMeasureCircle, cmd::kToolMeasureAngle,
                   cmd::kToolMeasurePolygon, cmd::kToolMeasurePolyline, cmd::kToolAddVertex, cmd::kToolRemoveVertex,
                   cmd::kToolMeasureEllipse, cmd::kToolMeasureText})
        registry.Register(id, [] { return std::make_unique<MeasureViewTool>(); });
}

}  // namespace quillory
