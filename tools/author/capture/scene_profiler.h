// Per-scene paint cost: each scene the timeline uses is wrapped in a stand-in that forwards
// trigger and paint and times paint between two glFinish calls, so the figure is the GPU's
// finished work, not just the time to queue it.
#pragma once

#include "framework/script.h"

#include <memory>
#include <string>
#include <vector>

namespace capture {

struct SceneCost {
    std::string name;
    int64_t paints = 0;
    double totalMs = 0, maxMs = 0;
};

class TimedScene;

class SceneProfiler {
public:
    // Puts a stand-in in front of every scene the script's effects paint.
    explicit SceneProfiler(tarvo64k::Script& script);
    // Puts the scenes back.
    ~SceneProfiler();
    SceneProfiler(const SceneProfiler&) = delete;
    SceneProfiler& operator=(const SceneProfiler&) = delete;

    // Paints outside the measured range are forwarded untimed.
    void setRecording(bool on);
    // Most expensive first.
    std::vector<SceneCost> costs() const;

private:
    tarvo64k::Script& script;
    std::vector<std::unique_ptr<TimedScene>> standIns;
};

} // namespace capture
