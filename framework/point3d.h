// A three-component single-precision vector: vertices, normals, directions and particle positions.
// A plain value (three floats, no virtual operations) so arrays of it can be handed to GL as is.
#pragma once

namespace tarvo64k {

class Point3D {
public:
    float x;
    float y;
    float z;

    Point3D() : x(0), y(0), z(0) {}
    Point3D(float x, float y, float z) : x(x), y(y), z(z) {}

    void set(float newX, float newY, float newZ);
    // NOTE: no guard against a zero vector, which becomes three NaNs.
    void normalize();

    Point3D operator+(const Point3D& other) const;
    Point3D operator-(const Point3D& other) const;
    Point3D operator*(float k) const;
    // Returns a copy of the new value, not a reference.
    Point3D operator+=(const Point3D& other);
    // Exact float comparison: no tolerance, and a NaN component never compares equal.
    bool operator==(const Point3D& other) const;
};

} // namespace tarvo64k
