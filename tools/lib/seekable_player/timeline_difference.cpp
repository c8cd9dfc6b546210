// Comparing two timelines up to a time: the effects that start before it, in file order, with
// their triggers due before it, must match one for one.
#include "tools/lib/seekable_player/timeline_difference.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>

namespace authoring {

namespace {

using tarvo64k::Effect;
using tarvo64k::Script;
using tarvo64k::Trigger;

// The trigger's first firing in music seconds; it fires no earlier than its effect starts.
float firstDue(const Effect& effect, const Trigger& trigger) {
    return effect.start + std::max(0.0f, trigger.start);
}

bool sameText(const char* a, const char* b) {
    return std::strcmp(a ? a : "", b ? b : "") == 0;
}

bool sameTrigger(const Trigger& a, const Trigger& b) {
    return sameText(a.name, b.name) && sameText(a.value, b.value) && a.start == b.start &&
           a.delay == b.delay && a.repeat == b.repeat;
}

// The effects of `script` starting before `until`, in file order, with the flat index of their
// first trigger in playbackState order.
std::vector<std::pair<const Effect*, size_t>> startingBefore(const Script& script, float until) {
    std::vector<std::pair<const Effect*, size_t>> effects;
    size_t index = 0;
    for (const Effect* effect : script.effects) {
        if (effect->start < until)
            effects.push_back({effect, index});
        index += effect->triggers.size();
    }
    return effects;
}

// Walks the matching triggers due before `until` (flat indices in each script); false when
// the two play differently before it.
bool matchBefore(const Script& before, const Script& after, float until,
                 const std::function<void(size_t, size_t)>& matched) {
    const auto a = startingBefore(before, until), b = startingBefore(after, until);
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const Effect &x = *a[i].first, &y = *b[i].first;
        if (x.callback != y.callback || x.start != y.start ||
            std::min(x.end, until) != std::min(y.end, until))
            return false;
        std::vector<size_t> xs, ys;
        for (size_t t = 0; t < x.triggers.size(); ++t)
            if (firstDue(x, *x.triggers[t]) < until)
                xs.push_back(t);
        for (size_t t = 0; t < y.triggers.size(); ++t)
            if (firstDue(y, *y.triggers[t]) < until)
                ys.push_back(t);
        if (xs.size() != ys.size())
            return false;
        for (size_t t = 0; t < xs.size(); ++t) {
            if (!sameTrigger(*x.triggers[xs[t]], *y.triggers[ys[t]]))
                return false;
            matched(a[i].second + xs[t], b[i].second + ys[t]);
        }
    }
    return true;
}

std::vector<float> changeTimes(const Script& script) {
    std::vector<float> times;
    for (const Effect* effect : script.effects) {
        times.push_back(effect->start);
        times.push_back(effect->end);
        for (const Trigger* trigger : effect->triggers)
            times.push_back(firstDue(*effect, *trigger));
    }
    return times;
}

} // namespace

// Playing changes only at an effect's start or end or a trigger's first firing; the first
// such time up to which the two no longer match is where they part.
float firstDifference(const Script& before, const Script& after) {
    std::vector<float> times = changeTimes(before), more = changeTimes(after);
    times.insert(times.end(), more.begin(), more.end());
    times.push_back(std::numeric_limits<float>::infinity());
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    const auto ignore = [](size_t, size_t) {};
    float same = -std::numeric_limits<float>::infinity();
    for (float time : times) {
        if (!matchBefore(before, after, time, ignore))
            return same;
        same = time;
    }
    return same;
}

std::vector<int> carryFiredCounts(const Script& before, const Script& after, float until,
                                  const std::vector<int>& fired) {
    std::vector<int> carried(after.playbackState().fired.size(), 0);
    matchBefore(before, after, until, [&](size_t from, size_t to) {
        if (from < fired.size())
            carried[to] = fired[from];
    });
    return carried;
}

} // namespace authoring
