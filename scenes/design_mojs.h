// "designmojs": two rows of twenty pulsing glow blobs near the top and bottom edges, drifting
// apart and shrinking away within about 1.43 s of their start; a trigger starts them over.
#pragma once

#include "framework/callback.h"
#include "framework/scene_state.h"

class DesignMojs final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    unsigned int list;
    unsigned int texture;
    // Effect-relative start of the current run; -1 starts a run at the next paint.
    float startTime;

    DesignMojs();
    ~DesignMojs();

    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    void stateFields(tarvo64k::StateFields& fields) override { fields(startTime); }

private:
    void drawBlob(float x, float y, float size);
};
