// "radialblur": a feedback blur. Each frame it lays its previous capture, enlarged about the
// screen centre and partly transparent, over what was drawn before it, then captures the
// result, so that picture trails outwards from the centre.
#pragma once

#include "framework/callback.h"
#include "framework/scene_state.h"

class RadialBlur final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    unsigned int texture;       // the blur's own capture texture
    unsigned char* pixelBuffer; // source of the texture's first upload; black
    unsigned int quadList;      // the screen quad
    float amount;               // alpha of the fed-back picture
    float step;                 // enlargement of the fed-back picture per frame

    RadialBlur();
    ~RadialBlur();
    RadialBlur(const RadialBlur&) = delete;
    RadialBlur& operator=(const RadialBlur&) = delete;

    // "amount" and "step" set the fields of their names.
    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    void stateFields(tarvo64k::StateFields& fields) override { fields(amount)(step); }
};
