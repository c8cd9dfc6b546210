// "designmojs2": a tiny five-bar level meter in white outline in the lower right corner; each
// trigger moves the bar heights on by one step.
#pragma once

#include "framework/callback.h"
#include "framework/scene_state.h"

class DesignMojs2 final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    // Phase of the bar pattern in radians; -1 takes the elapsed time at the next paint.
    float barPhase;

    DesignMojs2();
    ~DesignMojs2();

    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    void stateFields(tarvo64k::StateFields& fields) override { fields(barPhase); }

private:
    void drawBar(int bar);
};
