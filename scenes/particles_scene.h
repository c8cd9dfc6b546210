// "particles": 1000 additive glow sprites on a 10 x 10 x 10 lattice that tumbles as a whole,
// each layer slightly out of phase; triggers swell the sprites or the lattice, let the lattice
// grow steadily, and turn the colour at the end.
#pragma once

#include "framework/callback.h"
#include "framework/matrix.h"
#include "framework/point3d.h"
#include "framework/scene_state.h"

class ParticlesScene final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    // Swell factors sink back to 1 at 3 per second; the *Time fields are effect-relative
    // seconds of the last trigger or sinking step, or -1 where a trigger has not fired.
    float spriteScale;
    float enlargeTime;
    float contraction;
    float contractTime;
    float gridScale;
    float expandTime;
    float endTime;
    unsigned int list;
    unsigned int texture;
    tarvo64k::Point3D* grid;
    tarvo64k::Point3D* transformed;
    tarvo64k::Matrix matrix;

    ParticlesScene();
    ~ParticlesScene();

    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    void stateFields(tarvo64k::StateFields& fields) override {
        fields(spriteScale)(enlargeTime)(contraction)(contractTime)(gridScale)(expandTime)(endTime);
    }

private:
    void drawLayer(int layer, float elapsed);
};
