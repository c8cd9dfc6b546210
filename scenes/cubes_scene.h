// "cubes": a 5 x 5 x 5 lattice of lit, textured cubes whose sizes pulse in a travelling wave,
// each horizontal layer swinging about the vertical axis; they grow in over the first second
// and a later trigger shrinks them away.
#pragma once

#include "framework/callback.h"
#include "framework/scene_state.h"

class CubesScene final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    // 0 growing in, 1 full size, 2 shrinking away, 3 and above full size again.
    int phase;
    // Effect-relative time of the last trigger, in seconds.
    float phaseTime;
    unsigned int list;
    unsigned int texture;

    CubesScene();
    ~CubesScene();

    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    void stateFields(tarvo64k::StateFields& fields) override { fields(phase)(phaseTime); }

private:
    float phaseFactor(float size, float elapsed);
};
