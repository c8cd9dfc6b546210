// What every file a tool writes must respect: it never lands on one of the demo's own inputs
// (the timeline, the music, a picture), however the path names it, and it never shows
// half-written, whatever fails or interrupts the write.
#pragma once

#include <functional>
#include <string>

namespace authoring {

// "PATH: is the demo's timeline|music|picture data/NAME; not written over" when `output`
// (after its links) is the same file as one of them, or the demo's data/ directory; else "".
// The demo directory is the current one; `timelinePath` may lie elsewhere.
std::string refuseDemoInput(const std::string& output, const std::string& timelinePath);

// Writes `path` through `write`, which is given a fresh temporary beside it to fill: the
// temporary is synced to disk and renamed over `path`, or removed when anything fails.
// Returns "" or "PATH: why" (the errno's text where there is one).
std::string writeAtomically(const std::string& path,
                            const std::function<std::string(const std::string&)>& write);

} // namespace authoring
