// The demo player: one build/teardown pair and the per-frame step, shared by every way the
// demo is played.
#include "host/demo_player.h"

#include "scenes/scene_table.h"

#include <GL/gl.h>

void DemoPlayer::build(const std::string& timelineText) {
    constructScenes();
    registerScenes(timeline);
    timeline.parse(timelineText);
    built = true;
}

void DemoPlayer::rereadTimeline(const std::string& timelineText) {
    timeline.clear();
    registerScenes(timeline);
    timeline.parse(timelineText);
}

void DemoPlayer::teardown() {
    if (!built)
        return;
    destroyScenes();
    timeline.clear(); // its callbacks were the scenes just destroyed
    built = false;
}

bool DemoPlayer::drawAt(float seconds) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    return timeline.update(seconds) != 0;
}
