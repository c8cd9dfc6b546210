// One polygon of a Polyhedron: point indices in triangle-strip order (zigzag between two rows
// of points, a quad over a, b / c, d is listed a, b, c, d), drawn as one GL_TRIANGLE_STRIP.
#pragma once

#include "framework/point3d.h"

namespace tarvo64k {

class Polyhedron;

class qPolygon {
public:
    int* indices = nullptr; // owned, array new; at least 3 entries
    int count = 0;
    Point3D normal; // unused: face normals live in the owning mesh

    qPolygon() = default;
    qPolygon(const qPolygon&) = delete;
    qPolygon& operator=(const qPolygon&) = delete;
    ~qPolygon();

    // The unit normal of the first triangle (P0, P1, P2): it faces a viewer who sees them
    // counter-clockwise. NOTE: unguarded; collinear points give NaNs.
    Point3D getNormal(const Polyhedron* mesh) const;
};

} // namespace tarvo64k
