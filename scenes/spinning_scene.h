// "spinning": a glowing paddle wheel of 40 faint additive panels set radially around a
// horizontal axis, turning about that axis and rocking about a tilted one.
#pragma once

#include "framework/callback.h"
#include "framework/scene_state.h"

class SpinningScene final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    unsigned int list;
    unsigned int texture;

    SpinningScene();
    ~SpinningScene();

    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    // Every frame follows from the effect's time alone.
    void stateFields(tarvo64k::StateFields&) override {}
};
