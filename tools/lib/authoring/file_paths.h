// Paths as the tools take them from the command line: made absolute against the directory the
// tool was started in (they enter the demo directory later), and checked before any work.
#pragma once

#include <string>

namespace authoring {

// Makes `path` an absolute path against the current directory; unchanged when already one.
std::string absolutePath(const std::string& path);

// "what failed: why" when `path` cannot be created (missing or unwritable directory, a
// directory in the way); empty when it can.
std::string checkWritable(const std::string& path);

// The directory part of `path` ("." for a bare name) and the name after the last '/'.
std::string directoryOf(const std::string& path);
std::string baseNameOf(const std::string& path);

// The file name's extension in lower case, with its dot (".png"), or empty.
std::string fileExtension(const std::string& path);

} // namespace authoring
