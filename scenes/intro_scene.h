// "intro": one flat strip picture at a time (data/intro1.png to intro3.png), pulsing in and
// out; each trigger moves on to the next picture and sets the pulse speed.
#pragma once

#include "framework/callback.h"
#include "framework/scene_state.h"

class IntroScene final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    unsigned int list;      // the strip quad, 8:1
    unsigned int* textures; // the three pictures
    int current;            // index of the picture shown
    float startTime;        // effect-relative seconds at which the pulse began; -1: not yet
    float speed;            // factor on the pulse rate

    IntroScene();
    ~IntroScene();
    IntroScene(const IntroScene&) = delete;
    IntroScene& operator=(const IntroScene&) = delete;

    // Any name: the value is the new speed (no number reads as 0, which freezes the pulse
    // invisible); the pulse restarts now with the next picture.
    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    void stateFields(tarvo64k::StateFields& fields) override { fields(current)(startTime)(speed); }
};
