// "stars": 500 red-rimmed white hexagrams scattered over a plane in front of the camera, that
// swell, turn and shrink over the effect. The field continues the crash scene's random sequence.
#pragma once

#include "framework/callback.h"
#include "framework/scene_state.h"

#include <string>

class StarsScene final : public tarvo64k::Callback, public tarvo64k::SceneState {
public:
    static constexpr int kStarCount = 500;

    struct Star {
        float x;
        float y;
    };

    unsigned int list = 0; // display list: the hexagram, radius 1 in the plane z = 1
    Star* stars = nullptr; // kStarCount centres, each coordinate in [-9.99, 10]

    // NOTE: draws 2 * kStarCount values from the standard generator without seeding it, so
    // the field depends on what was drawn before (the crash scene seeds and draws first).
    StarsScene();
    ~StarsScene();
    StarsScene(const StarsScene&) = delete;
    StarsScene& operator=(const StarsScene&) = delete;

    void trigger(float time, const std::string& name, const std::string& value) override;
    void paint(float elapsed, float delta, float progress) override;
    // Every frame follows from the effect's time alone.
    void stateFields(tarvo64k::StateFields&) override {}

    // One star: the dark red hexagram, then a white one 0.9 its size over it. Angle in degrees,
    // clockwise as the viewer sees it.
    void putStar(float x, float y, float size, float angle) const;
};
