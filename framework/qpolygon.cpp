// qPolygon: index ownership and the face normal of its first triangle.
#include "framework/qpolygon.h"
#include "framework/polyhedron.h"

#include <cmath>

namespace tarvo64k {

qPolygon::~qPolygon() {
    delete[] indices;
}

Point3D qPolygon::getNormal(const Polyhedron* mesh) const {
    const Point3D& p0 = mesh->points[indices[0]];
    Point3D u = p0 - mesh->points[indices[1]];
    Point3D v = p0 - mesh->points[indices[2]];
    // u x v equals (P1 - P0) x (P2 - P0).
    Point3D n(u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x);
    float length = std::sqrt((powf(n.x, 2) + powf(n.y, 2)) + powf(n.z, 2));
    return Point3D(n.x / length, n.y / length, n.z / length);
}

} // namespace tarvo64k
