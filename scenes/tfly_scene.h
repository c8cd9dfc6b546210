// "tfly": the frame captured by "render2texture" as a card that starts out covering the
// window exactly, then recedes, drifts right, tumbles and fades out over the effect.
#pragma once

#include "framework/callback.h"
#include "framework/scene_state.h"

class TFlyScene final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    unsigned int list; // the picture card

    TFlyScene();
    ~TFlyScene();
    TFlyScene(const TFlyScene&) = delete;
    TFlyScene& operator=(const TFlyScene&) = delete;

    void trigger(float time, const std::string& name, const std::string& value) override;
    // The picture is a function of `progress` alone.
    void paint(float elapsed, float delta, float progress) override;
    // Every frame follows from the effect's time alone.
    void stateFields(tarvo64k::StateFields&) override {}
};
