// Every tool answers -h/--help with its usage and --version with the project's version, on
// standard output with status 0, before it looks at anything else.
#include "tests/process_runner.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct Tool {
    std::string name;
    std::string path;
};
void PrintTo(const Tool& tool, std::ostream* out) {
    *out << tool.name;
}

class ToolInfo : public ::testing::TestWithParam<Tool> {};

TEST_P(ToolInfo, AnswersHelpAndVersion) {
    const Tool tool = GetParam();
    const std::string directory = makeTemporaryDirectory("tool-info");
    ASSERT_FALSE(directory.empty());
    auto run = [&](const std::string& argument, std::string* out) {
        int status = runCommand("cd '" + directory + "' && '" + tool.path + "' " + argument +
                                " >out.txt 2>err.txt");
        *out = readFile(directory + "/out.txt");
        EXPECT_EQ(readFile(directory + "/err.txt"), "") << argument;
        return status;
    };
    std::string out;
    EXPECT_EQ(run("--version", &out), 0);
    EXPECT_EQ(out.find(tool.name + " (Solvane) " SOLVANE_VERSION), 0u) << out;
    EXPECT_EQ(out.find('\n'), out.size() - 1) << "one line: " << out;
    for (const char* help : {"-h", "--help"}) {
        EXPECT_EQ(run(help, &out), 0) << help;
        EXPECT_EQ(out.find("Usage: "), 0u) << help << ": " << out;
    }
    runCommand("rm -rf '" + directory + "'");
}

// "name=path,..." as the build lists every tool.
std::vector<Tool> everyTool() {
    std::vector<Tool> tools;
    std::stringstream list(SOLVANE_TOOLS);
    for (std::string entry; std::getline(list, entry, ',');)
        tools.push_back({entry.substr(0, entry.find('=')), entry.substr(entry.find('=') + 1)});
    return tools;
}

INSTANTIATE_TEST_SUITE_P(EveryTool, ToolInfo, ::testing::ValuesIn(everyTool()),
                         [](const ::testing::TestParamInfo<Tool>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (c == '-')
                                     c = '_';
                             return name;
                         });

} // namespace
