// Polyhedron: ownership, normals and the three immediate-mode drawing modes.
// Leans on OpenGL 1.x and the shared cell-shading ramp that gfx/cellshade fills.
#include "framework/polyhedron.h"

#include <GL/gl.h>

unsigned int cellshadeTexture = 0;

namespace tarvo64k {

Polyhedron::~Polyhedron() {
    delete[] faceNormals;
    delete[] vertexNormals;
    delete[] points;
    delete[] polygons;
    delete[] cellCoords;
    delete[] texCoords;
}

void Polyhedron::setOrientation(Point3D a, Point3D b) {
    if (!(orientationA == a)) {
        orientationA = a;
    }
    if (!(orientationB == b)) {
        orientationB = b;
    }
}

// ---------------------------------------------------------------------------------------------
// [SECTION] Normals
// ---------------------------------------------------------------------------------------------

void Polyhedron::calcNormals() {
    delete[] faceNormals;
    delete[] vertexNormals;
    delete[] cellCoords;
    faceNormals = new Point3D[polygonCount];
    vertexNormals = new Point3D[pointCount];
    cellCoords = new float[pointCount];

    for (int j = 0; j < polygonCount; ++j) {
        faceNormals[j] = polygons[j].getNormal(this);
    }
    // Points x polygons x indices, once at start-up.
    for (int k = 0; k < pointCount; ++k) {
        vertexNormals[k] = averageFaceNormal(k);
    }
}

Point3D Polyhedron::averageFaceNormal(int point) const {
    Point3D sum;
    int users = 0;
    for (int c = 0; c < polygonCount; ++c) {
        const qPolygon& polygon = polygons[c];
        for (int i = 0; i < polygon.count; ++i) {
            if (polygon.indices[i] == point) {
                sum += faceNormals[c];
                ++users;
                break; // a polygon listing the point twice counts once
            }
        }
    }
    if (users != 0) {
        float n = static_cast<float>(users);
        sum.set(sum.x / n, sum.y / n, sum.z / n);
    }
    return sum;
}

// ---------------------------------------------------------------------------------------------
// [SECTION] Drawing
// ---------------------------------------------------------------------------------------------

// Every polygon as one triangle strip; `vertexAttributes(k)` gives point k's attributes
// before its vertex.
template <typename VertexAttributes>
void Polyhedron::drawStrips(VertexAttributes vertexAttributes) const {
    for (int c = 0; c < polygonCount; ++c) {
        const qPolygon& polygon = polygons[c];
        glBegin(GL_TRIANGLE_STRIP);
        for (int i = 0; i < polygon.count; ++i) {
            const int k = polygon.indices[i];
            vertexAttributes(k);
            glVertex3f(points[k].x, points[k].y, points[k].z);
        }
        glEnd();
    }
}

void Polyhedron::draw() const {
    drawStrips(
        [this](int k) { glNormal3f(vertexNormals[k].x, vertexNormals[k].y, vertexNormals[k].z); });
}

void Polyhedron::drawTex() const {
    drawStrips([this](int k) {
        glTexCoord2f(texCoords[k].x, texCoords[k].y);
        glNormal3f(vertexNormals[k].x, vertexNormals[k].y, vertexNormals[k].z);
    });
}

void Polyhedron::drawCell() {
    // Column-major: m[2], m[6], m[10] is the row that yields eye-space z, the alignment of the
    // normal with the view direction (and with light 0's default direction).
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int k = 0; k < pointCount; ++k) {
        const Point3D& n = vertexNormals[k];
        float d = n.x * m[2] + n.y * m[6] + n.z * m[10];
        cellCoords[k] = d >= 0 ? d : 0; // no upper clamp: only a scaling model-view exceeds 1
    }

    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_1D);
    glBindTexture(GL_TEXTURE_1D, cellshadeTexture);

    // The current colour, set by the caller, is modulated by the ramp texel.
    drawStrips([this](int k) { glTexCoord1f(cellCoords[k]); });

    glDisable(GL_TEXTURE_1D);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
}

} // namespace tarvo64k
