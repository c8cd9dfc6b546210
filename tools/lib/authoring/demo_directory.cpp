// The directory checks, the one reading of the timeline and the files' stamp.
#include "tools/lib/authoring/demo_directory.h"

#include "framework/input_file.h"
#include "framework/script.h"
#include "tools/lib/authoring/file_paths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace authoring {

namespace {

std::string checkDirectory(const std::string& directory) {
    const std::string option = "--dir " + directory + ": ";
    struct stat info;
    if (stat(directory.c_str(), &info) != 0)
        return option + std::strerror(errno);
    if (!S_ISDIR(info.st_mode))
        return option + "not a directory";
    if (access(directory.c_str(), R_OK | X_OK) != 0)
        return option + std::strerror(errno);
    // Without data/ every scene draws without its pictures: grey frames, not the demo.
    if (stat((directory + "/data").c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return option + "not a demo directory: it has no data/ with the pictures";
    return "";
}

std::string fileStamp(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return path + " missing;";
    return path + " " + std::to_string(info.st_mtim.tv_sec) + "." +
           std::to_string(info.st_mtim.tv_nsec) + " " + std::to_string(info.st_size) + ";";
}

} // namespace

std::string openDemoDirectory(const std::string& directory, const std::string& timeline,
                              DemoDirectory* demo) {
    demo->directory = absolutePath(directory);
    demo->timelinePath =
        timeline.empty() ? demo->directory + "/script.odml" : absolutePath(timeline);
    std::string error = checkDirectory(demo->directory);
    if (!error.empty())
        return error;
    if (!(error = readTimeline(demo->timelinePath, &demo->timelineText)).empty())
        return error;
    if (chdir(demo->directory.c_str()) != 0)
        return "--dir " + demo->directory + ": " + std::strerror(errno);
    return "";
}

std::string readTimeline(const std::string& path, std::string* text) {
    if (int error = tarvo64k::readTimelineFile(path.c_str(), text))
        return path + ": cannot read the timeline: " + tarvo64k::inputErrorText(error);
    return "";
}

std::string demoFilesStamp(const std::string& timelinePath) {
    std::string stamp = fileStamp(timelinePath);
    DIR* data = opendir("data");
    if (!data)
        return stamp;
    std::vector<std::string> names;
    while (dirent* entry = readdir(data))
        if (entry->d_name[0] != '.')
            names.push_back(entry->d_name);
    closedir(data);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        stamp += fileStamp("data/" + name);
    return stamp;
}

} // namespace authoring
