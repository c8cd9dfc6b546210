// The state a scene carries from one frame to the next (start-time latches, values set by
// triggers, phases), named field by field so that a player can save it and put it back: the
// seekable player's checkpoints jump through the timeline with it. Every scene implements this
// beside Callback; a scene whose frames depend only on the effect's time names no field.
#pragma once

#include <cstddef>
#include <type_traits>
#include <vector>

namespace tarvo64k {

// Visits the fields of a scene's state in one fixed order; saving and restoring both walk it.
class StateFields {
public:
    template <typename Field> StateFields& operator()(Field& field) {
        static_assert(std::is_trivially_copyable<Field>::value, "state fields are plain values");
        visit(&field, sizeof field);
        return *this;
    }

protected:
    ~StateFields() = default;
    virtual void visit(void* field, size_t bytes) = 0;
};

class SceneState {
public:
    // Names every field that paint or trigger change and a later frame reads.
    virtual void stateFields(StateFields& fields) = 0;

protected:
    ~SceneState() = default;
};

// Appends the fields' bytes to `bytes`.
void saveState(SceneState& scene, std::vector<unsigned char>* bytes);
// Puts back fields saved by saveState from `bytes` at `*offset`, moving the offset on.
// False, with nothing changed beyond what was read, when `bytes` ends too soon.
bool restoreState(SceneState& scene, const std::vector<unsigned char>& bytes, size_t* offset);

} // namespace tarvo64k
