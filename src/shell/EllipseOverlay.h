#pragma once
// What the ellipse transform's tool shows over the picture: the box, the ellipse
// inscribed in it and the eight handles.
#include "view/EllipseTool.h"

class QPainter;

namespace quillory {

void PaintEllipseBox(QPainter& painter, const EllipseBox& box, const CanvasRect& layer, const PictureMapping& mapping);

}  // namespace quillory
