// "credits": data/kesto.png, lunder.png and tarvo.png one after another, each zooming up from
// nothing while it flashes in and out; a trigger restarts the sequence.
#pragma once

#include "framework/callback.h"
#include "framework/scene_state.h"

class CreditsScene final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    unsigned int list;      // the picture quad, 2:1
    unsigned int* textures; // the three pictures
    float period;           // divisor of the flash phase
    float startTime;        // effect-relative seconds at which the sequence began; -1: not yet

    CreditsScene();
    ~CreditsScene();
    CreditsScene(const CreditsScene&) = delete;
    CreditsScene& operator=(const CreditsScene&) = delete;

    // Any trigger restarts the sequence now.
    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    void stateFields(tarvo64k::StateFields& fields) override { fields(startTime); }
};
