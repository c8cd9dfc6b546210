// A Callback that logs every call with its arguments, for timeline tests.
#pragma once

#include "framework/callback.h"

#include <string>
#include <vector>

struct RecordedCall {
    std::string scene;
    std::string kind; // "trigger" or "paint"
    float time = 0;   // trigger time, or paint elapsed
    float delta = 0;
    float progress = 0;
    std::string name;
    std::string value;
};

class RecordingCallback final : public tarvo64k::Callback {
public:
    RecordingCallback(std::string scene, std::vector<RecordedCall>* log)
        : scene(std::move(scene)), log(log) {}

    void trigger(float time, const std::string& name, const std::string& value) override {
        log->push_back({scene, "trigger", time, 0, 0, name, value});
    }
    void paint(float elapsed, float delta, float progress) override {
        log->push_back({scene, "paint", elapsed, delta, progress, "", ""});
    }

    std::string scene;
    std::vector<RecordedCall>* log;
};
