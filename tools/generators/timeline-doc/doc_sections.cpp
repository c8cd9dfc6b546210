// Reading and rewriting the document line by line; nothing but the marked parts changes.
#include "tools/generators/timeline-doc/doc_sections.h"

#include "scenes/scene_registry.h"
#include "tools/lib/lint/finding.h"

#include <sstream>

namespace {

const char kBegin[] = "<!-- Written by scripts/make-timeline-doc from the scene list "
                      "(scenes/scene_registry.cpp); edit it there. -->";
const char kEnd[] = "<!-- End of the written part. -->";
const char kScenesHeading[] = "## The scenes";

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The scene list quotes keywords as the linter does, 'in'; the document shows them as code.
// A quoted word follows no letter (so "scene's" stays) and holds no blank or quote.
std::string asCode(std::string text) {
    for (size_t open = 0; open < text.size(); ++open) {
        if (text[open] != '\'' || (open > 0 && isLetter(text[open - 1])))
            continue;
        size_t close = open + 1;
        while (close < text.size() && text[close] != '\'' && text[close] != ' ')
            ++close;
        if (close == open + 1 || close == text.size() || text[close] != '\'')
            continue;
        text[open] = text[close] = '`';
        open = close;
    }
    return text;
}

std::string generatedPart(const SceneInfo& scene) {
    const std::string name = scene.name;
    std::string part = "![" + name + ", one second into its example](timeline/" + name +
                       ".png)\n\n" + "Draws " + scene.draws + ".";
    if (scene.flags & kReadsCapture)
        part += " Shows the frame an earlier `" + std::string(captureScene().name) + "` captured.";
    part +=
        " Example: [timeline/examples/" + name + ".odml](timeline/examples/" + name + ".odml).\n\n";
    if (scene.triggerCount == 0)
        return part + "No triggers: it ignores any it is sent.\n";
    part += "| Trigger | Value | What it does |\n|---|---|---|\n";
    for (int i = 0; i < scene.triggerCount; ++i) {
        const TriggerInfo& trigger = scene.triggers[i];
        part += "| " + (trigger.name ? "`" + std::string(trigger.name) + "`" : "any name") + " | " +
                asCode(describeTriggerValue(trigger)) + " | " + asCode(trigger.does) + " |\n";
    }
    return part;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

std::string regenerateSceneParts(const std::string& text, std::vector<std::string>* problems) {
    std::vector<std::string> lines = linesOf(text);
    std::string out;
    int next = 0; // the scene the next heading must name
    bool inScenes = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        out += line + "\n";
        if (line.compare(0, 3, "## ") == 0)
            inScenes = line == kScenesHeading;
        if (!inScenes || line.compare(0, 4, "### ") != 0)
            continue;
        const std::string name = line.substr(4);
        if (next < kSceneCount && name != kScenes[next].name) {
            problems->push_back(findScene(name)
                                    ? "'### " + name + "' is out of the scene list's order: '" +
                                          kScenes[next].name + "' comes first"
                                    : "'### " + name + "' names no scene");
            continue;
        }
        if (next == kSceneCount) {
            problems->push_back("'### " + name + "' names no scene, or one already described");
            continue;
        }
        // Skip the old part, if there is one, and write the new one.
        size_t after = i + 1;
        while (after < lines.size() && lines[after].empty())
            ++after;
        if (after < lines.size() && lines[after] == kBegin) {
            while (after < lines.size() && lines[after] != kEnd)
                ++after;
            if (after == lines.size())
                problems->push_back("'### " + name + "': its written part has no end marker");
            i = after;
        }
        out += "\n" + std::string(kBegin) + "\n" + generatedPart(kScenes[next]) + kEnd + "\n";
        ++next;
    }
    for (; next < kSceneCount; ++next)
        problems->push_back("no '### " + std::string(kScenes[next].name) + "' section under '" +
                            kScenesHeading + "'");
    return out;
}

std::vector<std::string> missingNoteSections(const std::string& text) {
    std::vector<std::string> missing;
    std::vector<std::string> lines = linesOf(text);
    for (const char* title : lint::docs::kAll) {
        bool found = false;
        for (const std::string& line : lines)
            found = found || line == "## " + std::string(title);
        if (!found)
            missing.push_back(title);
    }
    return missing;
}
