// "lines": 100 thin additive grey bars across the whole screen, each moving up and down on its
// own path, brightening where they overlap.
#pragma once

#include "framework/callback.h"
#include "framework/scene_state.h"

class LinesScene final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    unsigned int list;

    LinesScene();
    ~LinesScene();

    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    // Every frame follows from the effect's time alone.
    void stateFields(tarvo64k::StateFields&) override {}
};
