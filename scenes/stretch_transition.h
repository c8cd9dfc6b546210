// "tstretch": draws the frame captured by "render2texture" back over the screen squeezed
// about the centre: first to a thin horizontal band, then that band narrows to nothing.
#pragma once

#include "framework/callback.h"
#include "framework/scene_state.h"

class StretchTransition final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    unsigned int quadList; // the screen quad
    int fadeIn;            // true: alpha follows progress; false: 1 - progress

    StretchTransition();
    ~StretchTransition();
    StretchTransition(const StretchTransition&) = delete;
    StretchTransition& operator=(const StretchTransition&) = delete;

    // "mode": exactly "in" fades in, any other value fades out.
    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    void stateFields(tarvo64k::StateFields& fields) override { fields(fadeIn); }
};
