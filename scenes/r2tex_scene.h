// "render2texture": copies the frame drawn so far into the shared capture texture
// `render_texture` (gfx/capture_texture.h), which it owns, and clears the frame for the
// effects after it.
#pragma once

#include "framework/callback.h"
#include "framework/scene_state.h"

class R2texScene final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    unsigned char* pixelBuffer; // source of render_texture's first upload; black

    R2texScene();
    ~R2texScene();
    R2texScene(const R2texScene&) = delete;
    R2texScene& operator=(const R2texScene&) = delete;

    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    // Every frame follows from the effect's time alone.
    void stateFields(tarvo64k::StateFields&) override {}
};
