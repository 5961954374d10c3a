#pragma once
// The free transform: a layer's rectangle mapped onto a quadrilateral the user
// placed, and the ellipse transform that maps it onto an ellipse.
//
// The quadrilateral's corners are the layer's corner pixels (0 top left, 1 top
// right, 2 bottom right, 3 bottom left; rows top-down); the rectangle's outer
// corners go to the outer corners of those pixels, so an unchanged quadrilateral
// maps every pixel onto itself. A mesh node sits on every pixel corner: node
// (i, j) is where the line through the points at fraction i / w along the top and
// the bottom side meets the line through the points at fraction j / h along the
// right and the left side. Each destination pixel takes the colours of the
// source cells over it, weighted by the area of each cell inside the pixel; its
// opacity is the covered share of the cells' opacity.
#include <cstdint>

#include "core/NyZazo.h"
#include "processing/Planes.h"

namespace quillory {

struct Quad {
    double x[4] = {};
    double y[4] = {};
    // The corners of an unchanged w × h layer: (0, 0), (w − 1, 0), (w − 1, h − 1), (0, h − 1).
    static Quad OfLayer(int width, int height);
    friend bool operator==(const Quad&, const Quad&) = default;
};

// Node positions of the mesh of a w × h layer for a quadrilateral, in layer pixels (rows top-down).
class QuadMesh {
public:
    // A line through (x, y) along (dx, dy).
    struct Line {
        double x, y, dx, dy;
    };
    QuadMesh(const Quad& quad, int width, int height);
    // False when the node's two lines are parallel (|determinant| < 1e-9).
    bool Node(int i, int j, double& x, double& y) const { return Meet(Column(i), Row(j), x, y); }
    // The line through every node of column i, and of row j.
    Line Column(int i) const;
    Line Row(int j) const;
    // Where a column line meets a row line; false when they are parallel.
    static bool Meet(const Line& column, const Line& row, double& x, double& y);
    // True when the outer corners make a convex quadrilateral with no three
    // corners on a line: its cells then tile it without overlapping.
    bool IsConvex() const;
    // +1 when the corners run clockwise on screen (as the layer's own do), -1 otherwise.
    int Orientation() const;

private:
    double m_p[4][2];
    int m_w, m_h;
};

enum class TransformOutcome { Done, Degenerate, TooLarge, NoMemory };

// A transformed layer: its planes cover the bounding box of the mapped mesh,
// whose top-left corner lies at (left, top) in the old layer's pixels (rows top-down).
struct MappedPlanes {
    Planes planes;
    int left = 0;
    int top = 0;
};

// Maps the planes onto the quadrilateral. Anything but Done leaves `out` untouched.
TransformOutcome FreeTransformPlanes(const Planes& source, const PaletteRef& palette, const Quad& quad,
                                     MappedPlanes& out, ProgressSink* progress = nullptr);

// Maps the whole rectangle of the planes onto the ellipse inscribed in a
// width × height box (a square's grid bent onto the disc); pixels outside the
// ellipse are empty (opacity 0). False for a bad size or no memory.
[[nodiscard]] bool EllipsePlanes(const Planes& source, const PaletteRef& palette, int width, int height, Planes& out);

}  // namespace quillory
