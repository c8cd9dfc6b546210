// A gtest expectation for Point3D values, shared by the vector, matrix and mesh tests.
#pragma once

#include "framework/point3d.h"

#include <gtest/gtest.h>

// Each coordinate of `actual` within `tolerance` of (ex, ey, ez).
#define EXPECT_POINT_NEAR(actual, ex, ey, ez, tolerance)                                           \
    do {                                                                                           \
        const tarvo64k::Point3D point = (actual);                                                  \
        EXPECT_NEAR(point.x, ex, tolerance);                                                       \
        EXPECT_NEAR(point.y, ey, tolerance);                                                       \
        EXPECT_NEAR(point.z, ez, tolerance);                                                       \
    } while (0)
