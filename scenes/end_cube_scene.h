// "endcube": the captured frame in render_texture, cut along a cube net, folds into a cube
// that tumbles away in front of a background picture. The picture lines the cube's inside;
// the outside shows as a dark red skin.
#pragma once

#include "framework/callback.h"
#include "framework/point3d.h"
#include "framework/polyhedron.h"
#include "framework/scene_state.h"

#include <string>

class EndCubeScene final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    // The sheet is a 4-row (top to bottom) by 5-column grid: vertex 5i + k.
    static constexpr int kRows = 4;
    static constexpr int kColumns = 5;
    static constexpr int kSheetPoints = kRows * kColumns;
    // The skin has one vertex per net vertex, in row order.
    static constexpr int kSkinPoints = 14;

    unsigned int texture = 0;                        // background picture
    tarvo64k::Point3D* sheetBase = nullptr;          // flat, kSheetPoints
    tarvo64k::Point3D* sheetTarget = nullptr;        // folded, kSheetPoints
    tarvo64k::Point3D* sheetTargetNormals = nullptr; // folded normals, kSheetPoints
    tarvo64k::Point3D* cubeBase = nullptr;           // flat, kSkinPoints
    tarvo64k::Point3D* cubeTarget = nullptr;         // folded, kSkinPoints
    tarvo64k::Point3D* cubeTargetNormals = nullptr;  // folded normals, kSkinPoints
    tarvo64k::Point3D flatNormal;
    tarvo64k::Polyhedron sheet; // the picture, textured with the captured frame
    tarvo64k::Polyhedron cube;  // the dark red skin, untextured

    EndCubeScene();
    ~EndCubeScene();
    EndCubeScene(const EndCubeScene&) = delete;
    EndCubeScene& operator=(const EndCubeScene&) = delete;

    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    // Every frame follows from the effect's time alone.
    void stateFields(tarvo64k::StateFields&) override {}

private:
    void buildSheet();
    void buildSkin();
    void flyAway(float progress) const;
    void fold(float fraction);
};
