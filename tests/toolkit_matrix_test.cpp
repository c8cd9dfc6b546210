// Point3D and Matrix: the rotation senses, the order builders compose in, and the array
// transform's bounds and aliasing, which scenes rely on to bend geometry in place.
#include "framework/matrix.h"
#include "framework/point3d.h"

#include "tests/render_support.h"

#include <gtest/gtest.h>

#include <cmath>

using tarvo64k::Matrix;
using tarvo64k::Point3D;

namespace {

const float kHalfPi = 1.57079632679f;
const float kTolerance = 1e-6f;

Point3D transformed(const Matrix& matrix, Point3D p) {
    matrix.transform(&p, &p, 0, 1);
    return p;
}

TEST(Matrix, ResetAndRotationSenses) {
    Matrix matrix;
    for (float& element : matrix.m)
        element = 7; // stands in for the undefined contents before reset
    matrix.reset();
    EXPECT_POINT_NEAR(transformed(matrix, Point3D(1, 2, 3)), 1, 2, 3, kTolerance);

    matrix.rotateZ(kHalfPi);
    EXPECT_POINT_NEAR(transformed(matrix, Point3D(1, 0, 0)), 0, 1, 0, kTolerance);

    matrix.reset();
    matrix.rotateY(kHalfPi);
    EXPECT_POINT_NEAR(transformed(matrix, Point3D(0, 0, 1)), 1, 0, 0, kTolerance);

    // rotateX turns the other way round: +Y goes to -Z.
    matrix.reset();
    matrix.rotateX(kHalfPi);
    EXPECT_POINT_NEAR(transformed(matrix, Point3D(0, 1, 0)), 0, 0, -1, kTolerance);
    EXPECT_POINT_NEAR(transformed(matrix, Point3D(0, 0, 1)), 0, 1, 0, kTolerance);
}

TEST(Matrix, LaterOperationsActAfterEarlierOnes) {
    Matrix matrix;
    matrix.reset();
    matrix.translate(1, 0, 0);
    matrix.rotateZ(kHalfPi);
    // The translation is rotated.
    EXPECT_POINT_NEAR(transformed(matrix, Point3D()), 0, 1, 0, kTolerance);

    matrix.reset();
    matrix.rotateZ(kHalfPi);
    matrix.translate(1, 0, 0);
    EXPECT_POINT_NEAR(transformed(matrix, Point3D()), 1, 0, 0, kTolerance);

    // First about X, then about Z: (0, 1, 0) -> (0, 0, -1) stays on the Z axis.
    matrix.reset();
    matrix.rotateX(kHalfPi);
    matrix.rotateZ(kHalfPi);
    EXPECT_POINT_NEAR(transformed(matrix, Point3D(0, 1, 0)), 0, 0, -1, kTolerance);
    EXPECT_POINT_NEAR(transformed(matrix, Point3D(1, 0, 0)), 0, 1, 0, kTolerance);
}

TEST(Matrix, ScaleAppliesToTheTranslationToo) {
    Matrix matrix;
    matrix.reset();
    matrix.translate(1, 1, 1);
    matrix.scale(2, 3, 4);
    EXPECT_POINT_NEAR(transformed(matrix, Point3D()), 2, 3, 4, kTolerance);
    EXPECT_POINT_NEAR(transformed(matrix, Point3D(1, 1, 1)), 4, 6, 8, kTolerance);
}

TEST(Matrix, ArrayTransformTouchesOnlyItsSliceAndASinglePointTakesNoTranslation) {
    Matrix matrix;
    matrix.reset();
    matrix.rotateZ(kHalfPi);
    matrix.translate(10, 0, 0);

    Point3D points[4] = {Point3D(1, 0, 0), Point3D(1, 0, 0), Point3D(0, 1, 0), Point3D(1, 0, 0)};
    matrix.transform(points, points, 1, 2);
    EXPECT_POINT_NEAR(points[0], 1, 0, 0, kTolerance);
    EXPECT_POINT_NEAR(points[1], 10, 1, 0, kTolerance);
    EXPECT_POINT_NEAR(points[2], 9, 0, 0, kTolerance); // x read before y was written
    EXPECT_POINT_NEAR(points[3], 1, 0, 0, kTolerance);

    Point3D src[2] = {Point3D(1, 2, 3), Point3D(4, 5, 6)};
    Point3D dst[2] = {Point3D(-1, -1, -1), Point3D(-1, -1, -1)};
    matrix.transform(src, dst, 0, 0);
    matrix.transform(src, dst, 0, -3);
    EXPECT_POINT_NEAR(dst[0], -1, -1, -1, kTolerance);
    EXPECT_POINT_NEAR(dst[1], -1, -1, -1, kTolerance);

    matrix.transform(src, dst, 1, 1); // same index in both arrays
    EXPECT_POINT_NEAR(dst[0], -1, -1, -1, kTolerance);
    EXPECT_POINT_NEAR(dst[1], 5, 4, 6, kTolerance);

    Matrix single;
    single.reset();
    single.translate(5, 5, 5);
    Point3D direction(1, 0, 0);
    single.transform(direction);
    EXPECT_POINT_NEAR(direction, 1, 0, 0, kTolerance);

    single.rotateZ(kHalfPi);
    single.transform(direction);
    EXPECT_POINT_NEAR(direction, 0, 1, 0, kTolerance);
}

TEST(Point3D, NormalizeIsUnguardedEqualityExactAndPlusEqualsReturnsACopy) {
    Point3D p(3, 0, 4);
    p.normalize();
    EXPECT_POINT_NEAR(p, 0.6f, 0.0f, 0.8f, kTolerance);
    Point3D zero;
    zero.normalize();
    EXPECT_TRUE(std::isnan(zero.x) && std::isnan(zero.y) && std::isnan(zero.z));

    Point3D a(1, 2, 3), b(1, 2, 3);
    EXPECT_TRUE(a == b);
    b.z = std::nextafter(3.0f, 4.0f);
    EXPECT_FALSE(a == b);
    Point3D nan(NAN, 0, 0);
    EXPECT_FALSE(nan == nan);

    Point3D sum = (a += Point3D(10, 20, 30));
    EXPECT_POINT_NEAR(sum, 11, 22, 33, kTolerance);
    sum.x = 0;
    EXPECT_POINT_NEAR(a, 11, 22, 33, kTolerance);
}

} // namespace
