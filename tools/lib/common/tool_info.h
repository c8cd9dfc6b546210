// -h/--help and --version, answered the same way by every tool: usage on standard output
// with status 0, and one version line naming the project version and the commit built.
#pragma once

#include <cstdio>

extern const char* const kSolvaneVersion; // the CMake project version
extern const char* const kSolvaneCommit;  // empty when the build was configured without git

// NoInfo rather than None, which X11 headers define as a macro.
enum class InfoRequest { NoInfo, Help, Version };

// What `argument` asks for: "-h" and "--help" ask for help, "--version" for the version.
InfoRequest infoRequest(const char* argument);

// "odml-lint (Solvane) 0.1.0, commit 4bff2c6a1b2c"
void printVersion(const char* tool, std::FILE* out);

// Prints the help or the version line on standard output when `request` asks for one.
// True when it printed: the tool then exits with status 0.
bool answerInfoRequest(InfoRequest request, const char* tool, const char* usage);
