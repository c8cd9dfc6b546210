// artgen: draws every picture the demo's scenes load into a data directory.
#include "tools/generators/artgen/pictures.h"
#include "tools/lib/common/tool_info.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kUsage[] = "Usage: artgen OUTPUT-DIRECTORY\n"
                      "Writes the demo's pictures (1.png, planes.png, intro1.png, ...) into the "
                      "existing OUTPUT-DIRECTORY.\n"
                      "  -h, --help   show this text\n"
                      "  --version    show the version\n";

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && answerInfoRequest(infoRequest(argv[1]), "artgen", kUsage))
        return 0;
    if (argc != 2 || argv[1][0] == '-') {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string error = artgen::loadTypeface();
    if (!error.empty()) {
        std::fprintf(stderr, "artgen: %s\n", error.c_str());
        return 1;
    }
    const std::string directory = argv[1];
    for (const artgen::Picture& picture : artgen::catalogue()) {
        artgen::Canvas canvas(picture.width, picture.height);
        picture.paint(canvas);
        error = artgen::writePng(canvas, directory + "/" + picture.fileName, picture.withAlpha,
                                 picture.matte);
        if (!error.empty()) {
            std::fprintf(stderr, "artgen: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
