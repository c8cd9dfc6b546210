// Checkpoints of the whole demo state, kept by frame within a memory budget: each scene's
// state, the timeline's fired triggers, the GL state and the contents of the textures a later
// frame reads. They are laid every so many frames while frames are drawn; when the budget is
// reached the spacing doubles and every other one goes.
#pragma once

#include "framework/script.h"
#include "tools/lib/seekable_player/gl_snapshot.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace authoring {

using TexturePixels = std::shared_ptr<const std::vector<unsigned char>>;

struct DemoCheckpoint {
    int64_t frame = -1; // the state after drawing this frame; -1: as built, before frame 0
    std::vector<unsigned char> scenes; // saveSceneStates
    tarvo64k::PlaybackState timeline;
    GlSnapshot gl;
    // render_texture's and the blur's texels, RGB, shared with the checkpoint before when
    // unchanged; null when they were last copied from a frame drawn without its pixels.
    TexturePixels captured, feedback;
};

// Room for the demo's 3 minutes at 60 fps at the first spacing: the checkpoints in its 32 s
// of captures and 30 s of blur hold a frame's texels each, 1.4 MB, about 0.2 GB in all; the
// preview with them stays well inside 1 GB.
constexpr size_t kDefaultCheckpointBudget = size_t{768} << 20;
// Seconds between checkpoints until the budget is reached.
constexpr double kFirstCheckpointSpacing = 0.5;

class CheckpointStore {
public:
    CheckpointStore(size_t budgetBytes, int fps);

    // Whether the state after `frame` is one to keep at the present spacing.
    bool due(int64_t frame) const { return (frame + 1) % spacing == 0; }
    // Adds it, or replaces the one of the same frame; then thins out to the budget.
    void add(DemoCheckpoint checkpoint);
    const DemoCheckpoint* at(int64_t frame) const;
    // The latest checkpoint after `after` and before `frame` that `usable` accepts, or null.
    const DemoCheckpoint*
    latestBefore(int64_t frame, int64_t after,
                 const std::function<bool(const DemoCheckpoint&)>& usable) const;
    // Drops every checkpoint at or after `frame`.
    void dropFrom(int64_t frame);
    void clear();
    void forEach(const std::function<void(DemoCheckpoint&)>& change);

    std::vector<int64_t> frames() const;
    size_t bytes() const { return total; }
    size_t budget() const { return limit; }
    int spacingFrames() const { return spacing; }

private:
    void count();

    std::map<int64_t, DemoCheckpoint> kept;
    size_t limit;
    int spacing;
    size_t total = 0;
};

} // namespace authoring
