// Staged output files.
#include "tools/author/capture/output_files.h"

#include "tools/lib/authoring/file_paths.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace capture {

using authoring::baseNameOf;
using authoring::directoryOf;

std::string OutputFiles::inFinalNames(std::string message) const {
    for (const Staged& file : staged) {
        for (size_t at = message.find(file.temporary); at != std::string::npos;
             at = message.find(file.temporary, at + file.final.size()))
            message.replace(at, file.temporary.size(), file.final);
    }
    return message;
}

std::string OutputFiles::stage(const std::string& finalPath) {
    std::string temporary = directoryOf(finalPath) + "/." + baseNameOf(finalPath) + "." +
                            std::to_string(getpid()) + ".partial";
    staged.push_back({temporary, finalPath});
    return temporary;
}

std::string OutputFiles::commit() {
    // On disk before any takes its name. One sync per directory rather than one per file: a
    // run may stage thousands of frames.
    std::set<std::string> synced;
    for (const Staged& file : staged) {
        const std::string where = directoryOf(file.temporary);
        if (!synced.insert(where).second)
            continue;
        int directory = open(where.c_str(), O_RDONLY | O_CLOEXEC);
        int error = directory < 0 || syncfs(directory) != 0 ? errno : 0;
        if (directory >= 0)
            close(directory);
        if (error)
            return file.final + ": " + std::strerror(error);
    }
    for (size_t i = 0; i < staged.size(); ++i) {
        if (std::rename(staged[i].temporary.c_str(), staged[i].final.c_str()) != 0) {
            std::string error = staged[i].final + ": " + std::strerror(errno);
            staged.erase(staged.begin(), staged.begin() + static_cast<long>(i));
            return error;
        }
    }
    staged.clear();
    createdDirectory.clear();
    return "";
}

void OutputFiles::abandon() {
    for (const Staged& file : staged)
        std::remove(file.temporary.c_str());
    staged.clear();
    if (!createdDirectory.empty())
        rmdir(createdDirectory.c_str()); // fails, harmlessly, when something else is in it
    createdDirectory.clear();
}

} // namespace capture
