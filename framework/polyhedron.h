// The indexed polygon mesh scenes build and draw every frame in immediate mode: lit (draw),
// lit and textured (drawTex) and cell-shaded through the shared 1D ramp (drawCell).
#pragma once

#include "framework/point3d.h"
#include "framework/qpolygon.h"

namespace tarvo64k {

// The mesh owns every array below, whoever allocated it; all come from array new.
// The owner fills points, polygons (and texCoords if it uses drawTex), calls calcNormals once,
// and may then move points and vertexNormals in place before each draw.
class Polyhedron {
public:
    float* cellCoords = nullptr;      // pointCount entries; rewritten by every drawCell
    Point3D* points = nullptr;        // pointCount entries
    Point3D* faceNormals = nullptr;   // polygonCount entries, unit length
    Point3D* vertexNormals = nullptr; // pointCount entries; scenes may overwrite them
    Point3D* texCoords = nullptr;     // pointCount entries, optional: x is s, y is t
    qPolygon* polygons = nullptr;     // polygonCount entries
    int polygonCount = 0;
    int pointCount = 0;
    Point3D orientationA; // stored by setOrientation; no drawing reads them
    Point3D orientationB;

    Polyhedron() = default;
    Polyhedron(const Polyhedron&) = delete;
    Polyhedron& operator=(const Polyhedron&) = delete;
    ~Polyhedron();

    void setOrientation(Point3D a, Point3D b);

    // Face normals, and per point the plain average of the normals of the polygons that use
    // it, found by index. Not renormalised: creases come out shorter than 1 and so darker.
    // A second call replaces the arrays of the first.
    void calcNormals();

    // Lit, untextured; relies on the caller's lighting and GL_COLOR_MATERIAL.
    void draw() const;
    // Lit and textured with the GL_TEXTURE_2D texture the caller bound.
    void drawTex() const;
    // Unlit, through cellshadeTexture, coordinate = eye-space z of each vertex normal.
    // NOTE: leaves GL_TEXTURE_2D and GL_LIGHTING enabled whatever they were before,
    // GL_CULL_FACE and GL_COLOR_MATERIAL enabled and GL_BLEND disabled.
    void drawCell();

private:
    Point3D averageFaceNormal(int point) const;
    template <typename VertexAttributes> void drawStrips(VertexAttributes vertexAttributes) const;
};

} // namespace tarvo64k

// GL texture name of the cell-shading ramp drawCell maps through; 0 until gfx's
// createCellshadeTexture makes it. The host deletes it.
extern unsigned int cellshadeTexture;
