// Saving and restoring a scene's state fields as plain bytes.
#include "framework/scene_state.h"

#include <cstring>

namespace tarvo64k {

namespace {

class Saver final : public StateFields {
public:
    explicit Saver(std::vector<unsigned char>* bytes) : bytes(*bytes) {}

private:
    void visit(void* field, size_t size) override {
        const unsigned char* first = static_cast<const unsigned char*>(field);
        bytes.insert(bytes.end(), first, first + size);
    }
    std::vector<unsigned char>& bytes;
};

class Restorer final : public StateFields {
public:
    Restorer(const std::vector<unsigned char>& bytes, size_t* offset)
        : bytes(bytes), offset(*offset) {}
    bool complete = true;

private:
    void visit(void* field, size_t size) override {
        if (!complete || bytes.size() - offset < size) {
            complete = false;
            return;
        }
        std::memcpy(field, bytes.data() + offset, size);
        offset += size;
    }
    const std::vector<unsigned char>& bytes;
    size_t& offset;
};

} // namespace

void saveState(SceneState& scene, std::vector<unsigned char>* bytes) {
    Saver saver(bytes);
    scene.stateFields(saver);
}

bool restoreState(SceneState& scene, const std::vector<unsigned char>& bytes, size_t* offset) {
    Restorer restorer(bytes, offset);
    scene.stateFields(restorer);
    return restorer.complete;
}

} // namespace tarvo64k
