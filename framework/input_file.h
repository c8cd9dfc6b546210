// Opening the files the demo and its tools read (timeline, music, pictures) so that nothing can
// hang on them: a FIFO without a writer or a device would block `open` or `read` for ever, so
// the file is opened without waiting and kept only when it is a regular file.
#pragma once

#include <cstddef>
#include <string>

namespace tarvo64k {

// The error for a FIFO, device or socket: outside the errno range, worded by inputErrorText.
constexpr int kNotARegularFile = 4096;

// Opens `path` for reading without blocking. Returns the descriptor (close-on-exec, blocking
// again for reads), or -1 with `*error` set: an errno, EISDIR for a directory, or
// kNotARegularFile.
int openRegularFile(const char* path, int* error);

// Reads the whole regular file at `path` into `bytes`. Returns 0 or the error as above; EFBIG
// when it holds more than `maxBytes`, ENOMEM when memory runs out.
int readRegularFile(const char* path, size_t maxBytes, std::string* bytes);

// strerror for the errors above.
const char* inputErrorText(int error);

} // namespace tarvo64k
