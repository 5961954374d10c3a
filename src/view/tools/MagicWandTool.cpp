#include "view/tools/MagicWandTool.h"

#include "document/CVandDoc.h"
#include "document/SelectionEditing.h"
#include "view/tools/LayerCanvas.h"

namespace quillory {

bool MagicWandTool::Press(ToolContext& context, const ToolEvent& event) {
    context.ReportChange({});  // the selection only: the layers show the same
    return MagicWand(context.document, ToLayerPoint(context.document, event.pictureX, event.pictureY),
                     context.toolValue1, event.shift);
}

}  // namespace quillory
