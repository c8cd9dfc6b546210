// Non-blocking opens and whole-file reads for every input.
#include "framework/input_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvo64k {

namespace {

int refusal(const struct stat& info) {
    return S_ISDIR(info.st_mode) ? EISDIR : kNotARegularFile;
}

} // namespace

int openRegularFile(const char* path, int* error) {
    // NOTE: O_NONBLOCK is what keeps a FIFO without a writer from blocking the open itself.
    int file = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (file < 0) {
        *error = errno;
        return -1;
    }
    struct stat info;
    *error = fstat(file, &info) != 0 ? errno : S_ISREG(info.st_mode) ? 0 : refusal(info);
    if (*error) {
        close(file);
        return -1;
    }
    fcntl(file, F_SETFL, fcntl(file, F_GETFL) & ~O_NONBLOCK);
    return file;
}

int readRegularFile(const char* path, size_t maxBytes, std::string* bytes) {
    int error = 0;
    int file = openRegularFile(path, &error);
    if (file < 0)
        return error;
    bytes->clear();
    char chunk[65536];
    ssize_t got;
    try {
        while ((got = read(file, chunk, sizeof chunk)) != 0) {
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                error = errno;
                break;
            }
            if (bytes->size() + size_t(got) > maxBytes) {
                error = EFBIG;
                break;
            }
            bytes->append(chunk, size_t(got));
        }
    } catch (const std::bad_alloc&) {
        error = ENOMEM;
    }
    close(file);
    if (error)
        std::string().swap(*bytes);
    return error;
}

const char* inputErrorText(int error) {
    return error == kNotARegularFile ? "not a regular file" : std::strerror(error);
}

} // namespace tarvo64k
