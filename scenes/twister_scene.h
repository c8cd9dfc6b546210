// "twister": a cell-shaded six-armed tube star over a background picture; each cross-section
// ring turns by its own lagging rotation, so the arms writhe. Leans on Polyhedron and Matrix.
#pragma once

#include "framework/callback.h"
#include "framework/matrix.h"
#include "framework/point3d.h"
#include "framework/polyhedron.h"
#include "framework/scene_state.h"

#include <string>

class TwisterScene final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    // Ring level i (0 at the centre) of arm j holds vertices 60i + 10j + k, k around the ring.
    static constexpr int kRings = 20;
    static constexpr int kArms = 6;
    static constexpr int kRingPoints = 10;
    static constexpr int kLevelPoints = kArms * kRingPoints;
    static constexpr int kPointCount = kRings * kLevelPoints;
    static constexpr int kPolygonCount = (kRings - 1) * kLevelPoints;

    unsigned int texture = 0;                 // background picture
    tarvo64k::Polyhedron mesh;                // points and vertexNormals rewritten every frame
    tarvo64k::Matrix ringMatrix;              // scratch: one ring level's rotation
    tarvo64k::Point3D* basePoints = nullptr;  // undeformed, kPointCount entries
    tarvo64k::Point3D* baseNormals = nullptr; // undeformed, kPointCount entries

    TwisterScene();
    ~TwisterScene();
    TwisterScene(const TwisterScene&) = delete;
    TwisterScene& operator=(const TwisterScene&) = delete;

    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    // Every frame follows from the effect's time alone.
    void stateFields(tarvo64k::StateFields&) override {}

private:
    void buildArms();
    void buildStrips();
    // Re-applies the ring rotations for `elapsed` seconds from the base arrays into the mesh.
    void twist(float elapsed);
};
