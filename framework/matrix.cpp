// Matrix builders and point transforms, in single precision throughout.
#include "framework/matrix.h"

#include <cmath>

namespace tarvo64k {

void Matrix::reset() {
    for (float& element : m) {
        element = 0;
    }
    m[0] = m[5] = m[10] = 1;
}

void Matrix::rotateRows(int a, int b, float c, float s) {
    float* rowA = m + 4 * a;
    float* rowB = m + 4 * b;
    for (int column = 0; column < 4; ++column) {
        float oldA = rowA[column];
        float oldB = rowB[column];
        rowA[column] = c * oldA + s * oldB;
        rowB[column] = c * oldB - s * oldA;
    }
}

void Matrix::rotateX(float angle) {
    rotateRows(1, 2, cosf(angle), sinf(angle));
}

void Matrix::rotateY(float angle) {
    rotateRows(0, 2, cosf(angle), sinf(angle));
}

// Row 0 gets c*row0 - s*row1, the opposite sign of the shared helper, hence the swapped rows.
void Matrix::rotateZ(float angle) {
    rotateRows(1, 0, cosf(angle), sinf(angle));
}

void Matrix::translate(float x, float y, float z) {
    m[3] += x;
    m[7] += y;
    m[11] += z;
}

void Matrix::scale(float x, float y, float z) {
    const float factors[3] = {x, y, z};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column) {
            m[4 * row + column] *= factors[row];
        }
    }
}

void Matrix::transform(const Point3D* src, Point3D* dst, int first, int count) const {
    for (int i = first; i < first + count; ++i) {
        // Read the whole source point first: src and dst are often the same array.
        float x = src[i].x;
        float y = src[i].y;
        float z = src[i].z;
        dst[i].x = m[0] * x + m[1] * y + m[2] * z + m[3];
        dst[i].y = m[4] * x + m[5] * y + m[6] * z + m[7];
        dst[i].z = m[8] * x + m[9] * y + m[10] * z + m[11];
    }
}

void Matrix::transform(Point3D& p) const {
    float x = p.x;
    float y = p.y;
    float z = p.z;
    p.x = m[0] * x + m[1] * y + m[2] * z;
    p.y = m[4] * x + m[5] * y + m[6] * z;
    p.z = m[8] * x + m[9] * y + m[10] * z;
}

} // namespace tarvo64k
