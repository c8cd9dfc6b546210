// "fade": draws the frame captured by "render2texture" back over the screen with an alpha
// that rises or falls with the effect's progress.
#pragma once

#include "framework/callback.h"
#include "framework/scene_state.h"

class FadeScene final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    unsigned int quadList; // the screen quad
    int fadeIn;            // true: alpha follows progress; false: 1 - progress

    FadeScene();
    ~FadeScene();
    FadeScene(const FadeScene&) = delete;
    FadeScene& operator=(const FadeScene&) = delete;

    // "mode": exactly "in" fades in, any other value fades out.
    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    void stateFields(tarvo64k::StateFields& fields) override { fields(fadeIn); }
};
