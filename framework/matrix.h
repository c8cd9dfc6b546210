// A 3 x 4 affine transform applied to point arrays on the CPU, e.g. to bend and twist
// generated geometry before it is drawn. Touches no GL state.
#pragma once

#include "framework/point3d.h"

namespace tarvo64k {

// The upper three rows of a 4 x 4 affine matrix, row-major: m[3], m[7] and m[11] hold the
// translation, and the fourth row is implied (0, 0, 0, 1).
//
// Every builder multiplies on the left, so it acts after everything already in the matrix,
// in the fixed world frame: reset, rotateX(a), translate(t) rotates first, then moves.
// Angles are radians (scenes give glRotatef degrees; convert before calling).
//
// NOTE: there is no constructor; the contents are undefined until reset() is called.
class Matrix {
public:
    float m[12];

    void reset();
    // NOTE: rotateX turns by -angle (takes +Y towards -Z); rotateY and rotateZ turn by
    // +angle (rotateY takes +Z towards +X, rotateZ takes +X towards +Y).
    void rotateX(float angle);
    void rotateY(float angle);
    void rotateZ(float angle);
    void translate(float x, float y, float z);
    // Scales whole rows, so a translation already present is scaled too.
    void scale(float x, float y, float z);

    // dst[i] = M * src[i] with translation, for i in [first, first + count); count <= 0 does
    // nothing. src and dst may be the same array.
    void transform(const Point3D* src, Point3D* dst, int first, int count) const;
    // In place, without the translation: for directions and normals.
    void transform(Point3D& p) const;

private:
    // Rewrites rows a and b as (c*a + s*b, c*b - s*a), all four columns.
    void rotateRows(int a, int b, float c, float s);
};

} // namespace tarvo64k
