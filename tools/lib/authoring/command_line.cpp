// Long options and the numbers they take.
#include "tools/lib/authoring/command_line.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace authoring {

namespace {

bool listed(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

std::string readOptions(int argc, char** argv, const OptionNames& names, InfoRequest* info,
                        const OptionHandler& handle) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (InfoRequest request = infoRequest(argv[i]); request != InfoRequest::NoInfo) {
            if (*info != InfoRequest::Help) // help wins over the version
                *info = request;
            continue;
        }
        if (argument.compare(0, 2, "--") != 0)
            return "unexpected argument '" + argument + "' (see --help)";
        const size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        std::string value;
        if (listed(names.switches, name)) {
            if (equals != std::string::npos)
                return name + " takes no value";
        } else if (!listed(names.valued, name)) {
            return "unknown option " + name + " (see --help)";
        } else if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < argc) {
            value = argv[++i];
        }
        if (value.empty() && listed(names.valued, name))
            return name + " needs a value (see --help)";
        if (std::string error = handle(name, value); !error.empty())
            return error;
    }
    return "";
}

bool parseSeconds(const std::string& text, double* seconds) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ')
        return false;
    errno = 0;
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(value) || value < 0 || value > 1e7)
        return false;
    *seconds = value;
    return true;
}

bool parseCount(const std::string& text, int low, int high, int* value) {
    if (text.empty() || text[0] < '0' || text[0] > '9')
        return false;
    errno = 0;
    char* end = nullptr;
    long number = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || number < low || number > high)
        return false;
    *value = static_cast<int>(number);
    return true;
}

} // namespace authoring
