// The checkpoint store: kept by frame, counted with shared texture contents once, thinned out
// to its budget.
#include "tools/lib/seekable_player/checkpoints.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace authoring {

CheckpointStore::CheckpointStore(size_t budgetBytes, int fps)
    : limit(budgetBytes),
      spacing(std::max(1, static_cast<int>(std::lround(kFirstCheckpointSpacing * fps)))) {}

void CheckpointStore::add(DemoCheckpoint checkpoint) {
    const int64_t frame = checkpoint.frame;
    kept[frame] = std::move(checkpoint);
    count();
    // The state as built (frame -1) stays at every spacing, so a start is always there.
    while (total > limit && kept.size() > 1 && spacing < (1 << 24)) {
        spacing *= 2;
        for (auto i = kept.begin(); i != kept.end();)
            i = due(i->first) ? std::next(i) : kept.erase(i);
        count();
    }
}

const DemoCheckpoint* CheckpointStore::at(int64_t frame) const {
    auto found = kept.find(frame);
    return found == kept.end() ? nullptr : &found->second;
}

const DemoCheckpoint*
CheckpointStore::latestBefore(int64_t frame, int64_t after,
                              const std::function<bool(const DemoCheckpoint&)>& usable) const {
    for (auto i = kept.lower_bound(frame); i != kept.begin();) {
        --i;
        if (i->first <= after)
            break;
        if (usable(i->second))
            return &i->second;
    }
    return nullptr;
}

void CheckpointStore::dropFrom(int64_t frame) {
    kept.erase(kept.lower_bound(frame), kept.end());
    count();
}

void CheckpointStore::clear() {
    kept.clear();
    count();
}

void CheckpointStore::forEach(const std::function<void(DemoCheckpoint&)>& change) {
    for (auto& entry : kept)
        change(entry.second);
}

std::vector<int64_t> CheckpointStore::frames() const {
    std::vector<int64_t> list;
    for (const auto& entry : kept)
        list.push_back(entry.first);
    return list;
}

// Texture contents shared between checkpoints count once.
void CheckpointStore::count() {
    std::set<const void*> textures;
    total = 0;
    for (const auto& entry : kept) {
        const DemoCheckpoint& checkpoint = entry.second;
        total += sizeof checkpoint + checkpoint.scenes.size() +
                 checkpoint.timeline.fired.size() * sizeof(int);
        for (const TexturePixels& pixels : {checkpoint.captured, checkpoint.feedback})
            if (pixels && textures.insert(pixels.get()).second)
                total += pixels->size();
    }
}

} // namespace authoring
