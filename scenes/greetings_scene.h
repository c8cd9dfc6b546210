// "greetings": four stacked picture bands (data/greetings1.png to greetings4.png) wrapped
// around square columns that turn about the vertical axis, fogged, with black square
// outlines at the seams.
#pragma once

#include "framework/callback.h"
#include "framework/scene_state.h"

class GreetingsScene final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    unsigned int list;      // the open square band: four walls, no top or bottom
    unsigned int* textures; // the four pictures, nearest filtering

    GreetingsScene();
    ~GreetingsScene();
    GreetingsScene(const GreetingsScene&) = delete;
    GreetingsScene& operator=(const GreetingsScene&) = delete;

    void trigger(float time, const std::string& name, const std::string& value) override;
    // The picture is a function of `elapsed` alone.
    void paint(float elapsed, float delta, float progress) override;
    // Every frame follows from the effect's time alone.
    void stateFields(tarvo64k::StateFields&) override {}
};
