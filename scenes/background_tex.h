// "backgroundtex": one of two pictures full-screen, data/2.png (0) or data/1.png (1),
// chosen by the trigger "texture".
#pragma once

#include "framework/callback.h"
#include "framework/scene_state.h"

class BackgroundTex final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    unsigned int quadList;  // the picture quad
    unsigned int* textures; // 2 names: data/2.png, data/1.png
    int current;            // index into textures of the picture shown

    BackgroundTex();
    ~BackgroundTex();
    BackgroundTex(const BackgroundTex&) = delete;
    BackgroundTex& operator=(const BackgroundTex&) = delete;

    // "texture": 0 or 1 selects a picture; any other value keeps the picture shown.
    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    void stateFields(tarvo64k::StateFields& fields) override { fields(current); }
};
