// The text object tool: the entered text with its top-left at the press point.
#include "measure/MeasureTools.h"

namespace quillory {

bool TextObjectTool::PressText(MeasureSet& set, MeasurePoint at, const std::string& text) {
    if (text.empty() || !measuring::BeginFigure(set, false)) return false;
    const TextBox box = MeasureCanvas::MeasureText(text, LabelStyle(set.Settings()));
    const MeasurePoint bottomRight{at.x + box.width, at.y + box.height};
    measuring::CreateFigure(set, MeasureKind::Text, {at, at, bottomRight}, text);
    return true;
}

}  // namespace quillory
