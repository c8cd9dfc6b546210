// The shared -h/--help and --version answers.
#include "tools/lib/common/tool_info.h"

#include <cstring>

InfoRequest infoRequest(const char* argument) {
    if (std::strcmp(argument, "-h") == 0 || std::strcmp(argument, "--help") == 0)
        return InfoRequest::Help;
    if (std::strcmp(argument, "--version") == 0)
        return InfoRequest::Version;
    return InfoRequest::NoInfo;
}

void printVersion(const char* tool, std::FILE* out) {
    std::fprintf(out, "%s (Solvane) %s", tool, kSolvaneVersion);
    if (kSolvaneCommit[0] != '\0')
        std::fprintf(out, ", commit %s", kSolvaneCommit);
    std::fputc('\n', out);
}

bool answerInfoRequest(InfoRequest request, const char* tool, const char* usage) {
    if (request == InfoRequest::Help)
        std::fputs(usage, stdout);
    else if (request == InfoRequest::Version)
        printVersion(tool, stdout);
    return request != InfoRequest::NoInfo;
}
