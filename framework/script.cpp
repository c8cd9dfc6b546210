// The timeline's records, its registry of named scenes and the per-frame evaluation.
#include "framework/script.h"

namespace tarvo64k {

// [SECTION] Records

Trigger::~Trigger() {
    delete[] name;
    delete[] value;
}

Effect::~Effect() {
    for (Trigger* trigger : triggers)
        delete trigger;
}

Script::~Script() {
    clear();
}

void Script::clear() {
    for (Effect* effect : effects)
        delete effect;
    for (CallbackEntry* entry : callbacks)
        delete entry;
    effects.clear();
    callbacks.clear();
    currentEffect = nullptr;
    lastEnd = 0;
    lastTime = 0;
}

void Script::addCallback(const std::string& name, Callback* callback) {
    CallbackEntry* entry = new CallbackEntry;
    entry->callback = callback;
    entry->name = name;
    callbacks.push_back(entry);
}

// [SECTION] Per-frame evaluation

int Script::update(float time) {
    float delta = time - lastTime;
    lastTime = time;
    if (time < 0)
        return 1;
    if (time > lastEnd)
        return 0;

    for (Effect* effect : effects) {
        if (!effect->activeAt(time))
            continue;
        updateEffect(effect, time, delta);
        if (effect->callback) {
            float elapsed = time - effect->start;
            effect->callback->paint(elapsed, delta, elapsed / (effect->end - effect->start));
        }
    }
    return 1;
}

PlaybackState Script::playbackState() const {
    PlaybackState state;
    state.lastTime = lastTime;
    for (const Effect* effect : effects)
        for (const Trigger* trigger : effect->triggers)
            state.fired.push_back(trigger->fired);
    return state;
}

void Script::restorePlaybackState(const PlaybackState& state) {
    lastTime = state.lastTime;
    size_t next = 0;
    for (Effect* effect : effects)
        for (Trigger* trigger : effect->triggers)
            trigger->fired = next < state.fired.size() ? state.fired[next++] : 0;
}

void Script::updateEffect(Effect* effect, float time, float /*delta*/) {
    float relative = time - effect->start;
    if (!effect->callback)
        return;

    for (Trigger* trigger : effect->triggers) {
        if (!(trigger->fired < trigger->repeat))
            continue;
        float due = trigger->start + trigger->delay * trigger->fired;
        if (relative < due)
            continue;
        // One firing per update: overdue repetitions come one per frame.
        ++trigger->fired;
        std::string value(trigger->value ? trigger->value : "");
        std::string name(trigger->name ? trigger->name : "");
        effect->callback->trigger(relative, name, value);
    }
}

} // namespace tarvo64k
