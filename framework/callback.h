// The interface of everything the timeline can drive: every scene implements it.
// Owners destroy scenes through their concrete class, so there is no virtual destructor.
#pragma once

#include <string>

namespace tarvo64k {

class Callback {
public:
    // A trigger of this scene's effect has fired. `time` is effect-relative, in seconds.
    virtual void trigger(float time, const std::string& name, const std::string& value) = 0;

    // Draw one frame. `elapsed` is effect-relative and `delta` the time since the previous
    // update, both in seconds; `progress` runs from 0 up to, not including, 1.
    virtual void paint(float elapsed, float delta, float progress) = 0;

protected:
    ~Callback() = default;
};

} // namespace tarvo64k
