// Holding standard output and standard error in a temporary file.
#include "host/held_output.h"

#include <unistd.h>

namespace host {

HeldOutput::HeldOutput(bool withErrors) : file(std::tmpfile()) {
    std::fflush(stdout);
    saved = dup(STDOUT_FILENO);
    if (file && saved >= 0)
        dup2(fileno(file), STDOUT_FILENO);
    if (withErrors) {
        std::fflush(stderr);
        savedErrors = dup(STDERR_FILENO);
        if (file && savedErrors >= 0)
            dup2(fileno(file), STDERR_FILENO);
    }
}

std::string HeldOutput::release() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (saved >= 0) {
        dup2(saved, STDOUT_FILENO);
        ::close(saved);
        saved = -1;
    }
    if (savedErrors >= 0) {
        dup2(savedErrors, STDERR_FILENO);
        ::close(savedErrors);
        savedErrors = -1;
    }
    std::string text;
    if (file) {
        std::rewind(file);
        char buffer[512];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            text.append(buffer, got);
        std::fclose(file);
        file = nullptr;
    }
    return text;
}

} // namespace host
