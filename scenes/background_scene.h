// "background": covers the whole screen with one colour blended by its alpha: a backdrop,
// a tint or a flash. Triggers "r", "g", "b" and "a" set the colour.
#pragma once

#include "framework/callback.h"
#include "framework/scene_state.h"

class BackgroundScene final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    unsigned int quadList; // the colour quad, on the near plane
    float red;
    float green;
    float blue;
    float alpha;

    BackgroundScene();
    ~BackgroundScene();
    BackgroundScene(const BackgroundScene&) = delete;
    BackgroundScene& operator=(const BackgroundScene&) = delete;

    // "r", "g", "b" and "a" set one component each, passed to GL unclamped.
    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    void stateFields(tarvo64k::StateFields& fields) override { fields(red)(green)(blue)(alpha); }
};
