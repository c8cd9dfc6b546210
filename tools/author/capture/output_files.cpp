// Staged output files and the PNG writer (libpng).
#include "tools/author/capture/output_files.h"

#include <png.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace capture {

namespace {

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

} // namespace

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

std::string absolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/')
        return path;
    char buffer[4096];
    if (!getcwd(buffer, sizeof buffer))
        return path;
    std::string relative = path;
    while (relative.compare(0, 2, "./") == 0)
        relative.erase(0, 2);
    if (relative == ".")
        return buffer;
    return std::string(buffer) + "/" + relative;
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

std::string writeRgbPng(const std::string& path, const unsigned char* rgb, int width, int height) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return path + ": " + std::strerror(errno);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        std::fclose(file);
        return path + ": could not encode the PNG";
    }
    png_init_io(png, file);
    // Fast enough to keep up with the renderer; the frames are for looking at, not archiving.
    png_set_compression_level(png, 3);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, rgb + static_cast<size_t>(y) * static_cast<size_t>(width) * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0)
        return path + ": " + std::strerror(errno);
    return "";
}

} // namespace capture
