// Path handling on the POSIX calls, no filesystem library needed.
#include "tools/lib/authoring/file_paths.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace authoring {

std::string absolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/')
        return path;
    char buffer[4096];
    if (!getcwd(buffer, sizeof buffer))
        return path;
    std::string relative = path;
    while (relative.compare(0, 2, "./") == 0)
        relative.erase(0, 2);
    const std::string directory = buffer;
    if (relative == ".")
        return directory;
    return directory + (directory.back() == '/' ? "" : "/") + relative; // "/" has its slash
}

std::string checkWritable(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return path + ": is a directory";
    std::string directory = directoryOf(path);
    if (stat(directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return path + ": no such directory " + directory;
    if (access(directory.c_str(), W_OK | X_OK) != 0)
        return path + ": cannot write in " + directory + ": " + std::strerror(errno);
    return "";
}

std::string directoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string fileExtension(const std::string& path) {
    std::string name = baseNameOf(path);
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return "";
    std::string extension = name.substr(dot);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

} // namespace authoring
