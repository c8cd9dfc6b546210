// Point3D arithmetic, in single precision throughout.
#include "framework/point3d.h"

#include <cmath>

namespace tarvo64k {

void Point3D::set(float newX, float newY, float newZ) {
    x = newX;
    y = newY;
    z = newZ;
}

void Point3D::normalize() {
    // The squares are summed y first: float addition is not associative, and meshes built
    // from these normals are compared bit for bit.
    float length = static_cast<float>(std::sqrt(static_cast<double>(y * y + x * x + z * z)));
    x /= length;
    y /= length;
    z /= length;
}

Point3D Point3D::operator+(const Point3D& other) const {
    return Point3D(x + other.x, y + other.y, z + other.z);
}

Point3D Point3D::operator-(const Point3D& other) const {
    return Point3D(x - other.x, y - other.y, z - other.z);
}

Point3D Point3D::operator*(float k) const {
    return Point3D(x * k, y * k, z * k);
}

Point3D Point3D::operator+=(const Point3D& other) {
    x += other.x;
    y += other.y;
    z += other.z;
    return *this;
}

bool Point3D::operator==(const Point3D& other) const {
    return x == other.x && y == other.y && z == other.z;
}

} // namespace tarvo64k
