// The output checks by device and inode, and the temporary-sync-rename write.
#include "tools/lib/authoring/safe_output.h"

#include "tools/lib/authoring/file_paths.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace authoring {

namespace {

bool sameFile(const struct stat& one, const std::string& path) {
    struct stat other;
    return stat(path.c_str(), &other) == 0 && one.st_dev == other.st_dev &&
           one.st_ino == other.st_ino;
}

// The pictures under data/, as the demo names them.
std::vector<std::string> pictures() {
    std::vector<std::string> names;
    if (DIR* data = opendir("data")) {
        while (dirent* entry = readdir(data))
            if (entry->d_name[0] != '.')
                names.push_back(std::string("data/") + entry->d_name);
        closedir(data);
    }
    return names;
}

std::string replaced(const std::string& message, const std::string& from, const std::string& to) {
    std::string text = message;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

int syncFile(const std::string& path) {
    int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return errno;
    int error = fsync(file) == 0 ? 0 : errno;
    close(file);
    return error;
}

} // namespace

std::string refuseDemoInput(const std::string& output, const std::string& timelinePath) {
    struct stat written;
    if (stat(output.c_str(), &written) != 0)
        return ""; // a new file is nobody's input
    const std::string refused = output + ": is the demo's ";
    if (sameFile(written, timelinePath))
        return refused + "timeline; not written over";
    if (sameFile(written, "music.mp3"))
        return refused + "music; not written over";
    if (sameFile(written, "data"))
        return refused + "picture directory data/; not written into";
    for (const std::string& picture : pictures())
        if (sameFile(written, picture))
            return refused + "picture " + picture + "; not written over";
    return "";
}

std::string writeAtomically(const std::string& path,
                            const std::function<std::string(const std::string&)>& write) {
    std::string pattern = directoryOf(path) + "/." + baseNameOf(path) + ".XXXXXX";
    int file = mkstemp(&pattern[0]);
    if (file < 0)
        return path + ": " + std::strerror(errno);
    // mkstemp makes it private; the file gets the mode a plain create would give it.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(file, 0666 & ~mask);
    close(file);
    const std::string& temporary = pattern;
    std::string error = replaced(write(temporary), temporary, path);
    int failure = 0;
    if (error.empty() && (failure = syncFile(temporary)) == 0 &&
        std::rename(temporary.c_str(), path.c_str()) != 0)
        failure = errno;
    if (failure)
        error = path + ": " + std::strerror(failure);
    if (!error.empty())
        unlink(temporary.c_str());
    return error;
}

} // namespace authoring
