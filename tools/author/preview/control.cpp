// Command parsing and non-blocking line input.
#include "tools/author/preview/control.h"

#include "tools/lib/authoring/command_line.h"

#include <cerrno>
#include <cstring>
#include <sstream>
#include <unistd.h>

namespace preview {

std::string parseCommand(const std::string& line, Command* command) {
    if (line == kTooLongLine)
        return "line longer than " + std::to_string(kLongestLine) + " bytes; dropped to its end";
    std::istringstream words(line);
    std::string verb, argument, extra;
    words >> verb;
    std::getline(words >> std::ws, argument);
    while (!argument.empty() && (argument.back() == ' ' || argument.back() == '\r'))
        argument.pop_back();

    struct Simple {
        const char* verb;
        Command::Kind kind;
    };
    static const Simple kSimple[] = {{"pause", Command::kPause},     {"play", Command::kPlay},
                                     {"time", Command::kTime},       {"reload", Command::kReload},
                                     {"effects", Command::kEffects}, {"quit", Command::kQuit}};
    for (const Simple& simple : kSimple) {
        if (verb != simple.verb)
            continue;
        if (!argument.empty())
            return verb + " takes no argument";
        command->kind = simple.kind;
        return "";
    }
    if (verb == "seek") {
        if (!authoring::parseSeconds(argument, &command->seconds))
            return "seek needs a time in seconds, e.g. seek 61.5";
        command->kind = Command::kSeek;
        return "";
    }
    if (verb == "shot") {
        if (argument.size() < 5 || argument.compare(argument.size() - 4, 4, ".png") != 0)
            return "shot needs a file name ending in .png";
        command->kind = Command::kShot;
        command->path = argument;
        return "";
    }
    return verb.empty() ? "empty command" : "unknown command '" + verb + "'";
}

bool LineReader::poll() {
    char buffer[4096];
    for (int reads = 0; !ended && reads < 16; ++reads) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got > 0) {
            take(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            ended = true;
        break;
    }
    if (ended && !partial.empty()) { // a last line without its newline still counts
        lines.push_back(partial);
        partial.clear();
    }
    return !ended || !lines.empty();
}

void LineReader::take(const char* bytes, size_t count) {
    const char* end = bytes + count;
    while (bytes < end) {
        const char* newline =
            static_cast<const char*>(std::memchr(bytes, '\n', static_cast<size_t>(end - bytes)));
        const char* stop = newline ? newline : end;
        if (!dropping)
            partial.append(bytes, static_cast<size_t>(stop - bytes));
        if (partial.size() > kLongestLine) {
            lines.push_back(kTooLongLine);
            partial.clear();
            dropping = true;
        }
        if (newline) {
            if (!dropping)
                lines.push_back(partial);
            partial.clear();
            dropping = false;
        }
        bytes = stop + (newline ? 1 : 0);
    }
}

bool LineReader::nextLine(std::string* line) {
    if (lines.empty())
        return false;
    *line = std::move(lines.front());
    lines.pop_front();
    return true;
}

} // namespace preview
