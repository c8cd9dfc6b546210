// "crash": the captured frame in render_texture shatters into a 10 x 10 grid of cells, two
// triangular shards each, that fly apart, spin, drop and fade. Seeds the shared random sequence.
#pragma once

#include "framework/callback.h"
#include "framework/point3d.h"
#include "framework/scene_state.h"

#include <string>

class CrashScene final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    static constexpr int kGridSize = 10;
    static constexpr int kShardCount = 2 * kGridSize * kGridSize;
    // The stars scene draws its field from the sequence right after these.
    static constexpr int kRandomDraws = 3 * kShardCount;

    float brightness = 1.0f;              // 1: the picture, 0: black silhouettes
    tarvo64k::Point3D* scatter = nullptr; // kShardCount flight directions, components in [-1, 0.99]

    // NOTE: seeds the standard generator (srand) and draws kRandomDraws values from it.
    CrashScene();
    ~CrashScene();
    CrashScene(const CrashScene&) = delete;
    CrashScene& operator=(const CrashScene&) = delete;

    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    void stateFields(tarvo64k::StateFields& fields) override { fields(brightness); }
};
