// "planes": the camera flies forward between a textured floor and ceiling while the view yaws
// and rolls; black linear fog makes both planes look endless.
#pragma once

#include "framework/callback.h"
#include "framework/scene_state.h"

// The fog colour: black, alpha 0.1.
extern float fogColor[4];

class PlanesScene final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    unsigned int texture;
    // Fog from the signed eye-plane distance, where GL_NV_fog_distance allows it.
    bool signedFogDistance;

    PlanesScene();
    ~PlanesScene();

    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    // Every frame follows from the effect's time alone.
    void stateFields(tarvo64k::StateFields&) override {}

private:
    void setCamera(float elapsed);
    void setFog();
    void drawFloor();
    void drawCeiling();
};
