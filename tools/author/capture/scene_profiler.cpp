// The timing stand-ins and their table.
#include "tools/author/capture/scene_profiler.h"

#include "tools/lib/authoring/timeline_info.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>

namespace capture {

class TimedScene final : public tarvo64k::Callback {
public:
    TimedScene(tarvo64k::Callback* scene, std::string name) : scene(scene) { cost.name = name; }

    void trigger(float time, const std::string& name, const std::string& value) override {
        scene->trigger(time, name, value);
    }

    void paint(float elapsed, float delta, float progress) override {
        if (!recording) {
            scene->paint(elapsed, delta, progress);
            return;
        }
        using Clock = std::chrono::steady_clock;
        glFinish(); // so that the earlier effects' work is not billed to this one
        Clock::time_point begin = Clock::now();
        scene->paint(elapsed, delta, progress);
        glFinish();
        double ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
        cost.paints += 1;
        cost.totalMs += ms;
        cost.maxMs = std::max(cost.maxMs, ms);
    }

    tarvo64k::Callback* scene;
    SceneCost cost;
    bool recording = false;
};

SceneProfiler::SceneProfiler(tarvo64k::Script& script) : script(script) {
    for (tarvo64k::Effect* effect : script.effects) {
        if (!effect->callback)
            continue;
        TimedScene* standIn = nullptr;
        for (const auto& existing : standIns)
            if (existing->scene == effect->callback)
                standIn = existing.get();
        if (!standIn) {
            standIns.push_back(std::make_unique<TimedScene>(
                effect->callback, authoring::sceneName(script, effect->callback)));
            standIn = standIns.back().get();
        }
        effect->callback = standIn;
    }
}

SceneProfiler::~SceneProfiler() {
    for (tarvo64k::Effect* effect : script.effects)
        for (const auto& standIn : standIns)
            if (effect->callback == standIn.get())
                effect->callback = standIn->scene;
}

void SceneProfiler::setRecording(bool on) {
    for (const auto& standIn : standIns)
        standIn->recording = on;
}

std::vector<SceneCost> SceneProfiler::costs() const {
    std::vector<SceneCost> table;
    for (const auto& standIn : standIns)
        table.push_back(standIn->cost);
    std::stable_sort(table.begin(), table.end(),
                     [](const SceneCost& a, const SceneCost& b) { return a.totalMs > b.totalMs; });
    return table;
}

} // namespace capture
