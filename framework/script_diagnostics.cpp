// The reader's findings in words. Each text says what was found and what the reader did
// with it, since the demo itself reads on in silence.
#include "framework/script_diagnostics.h"

#include "framework/name_suggestion.h"
#include "framework/script_scan.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tarvo64k {

using namespace scan;

namespace {

// Text for a warning: printable bytes as they are, the rest escaped, long texts shortened.
std::string quoted(const std::string& text) {
    std::string shown = "'";
    for (size_t i = 0; i < text.size() && i < 40; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f) {
            shown += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            shown += escaped;
        }
    }
    if (text.size() > 40)
        shown += "...";
    return shown + "'";
}

// "start=\"" -> "start"
std::string attributeName(const char* keyword) {
    return std::string(keyword, std::strlen(keyword) - 2);
}

} // namespace

// [SECTION] Tags

void ScriptDiagnostics::textOutsideTags(unsigned int position, unsigned int bytesIgnored) {
    warning(position, "text outside tags ends the reading; " + std::to_string(bytesIgnored) +
                          " bytes ignored");
}

void ScriptDiagnostics::tagCutOff(unsigned int position) {
    warning(position, "tag is cut off by the end of the file");
}

void ScriptDiagnostics::closingTagEndsEffect(const unsigned char* text, unsigned int first,
                                             unsigned int end) {
    warning(first,
            "closing tag " + quoted(textBetween(text, first, end)) + " ends the current effect");
}

void ScriptDiagnostics::triggerOutsideEffect(unsigned int position) {
    warning(position, "trigger outside any effect; dropped");
}

void ScriptDiagnostics::tagIgnored(const unsigned char* text, unsigned int first,
                                   unsigned int end) {
    // Comments and declarations are ordinary in XML-like files; only a ">" inside them hurts,
    // and that shows up as text outside tags.
    if (startsWith(text, first, end, "!") || startsWith(text, first, end, "?"))
        return;
    if (end - first == 1 && text[first] == '/') {
        warning(first - 1, "'</>' is not a closing tag; ignored");
        return;
    }

    unsigned int wordEnd = first;
    while (wordEnd < end && isWordChar(text[wordEnd]))
        ++wordEnd;
    std::string word = textBetween(text, first, wordEnd);
    std::string lower = word;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

    std::string message = "unrecognised tag " + quoted("<" + word) + "; ignored";
    if (lower == "effect" || lower == "trigger") {
        if (word != lower)
            message += " (tag names are lower case)";
        else if (wordEnd < end && isBlank(text[wordEnd]))
            message += " ('" + word + "' must be followed by a space)";
        else
            message += " ('" + word + "' must be followed by a space and attributes)";
    } else {
        std::string tag = closestName(word, {"effect", "trigger"});
        if (!tag.empty())
            message += " (did you mean '<" + tag + "'?)";
    }
    warning(first - 1, message);
}

void ScriptDiagnostics::openTagRead(const unsigned char* text, unsigned int first,
                                    unsigned int end) {
    unsigned int last = end;
    while (last > first && isBlank(text[last - 1]))
        --last;
    if (last < end && last > first && text[last - 1] == '/')
        warning(last - 1, "blank between '/' and '>': the tag is not self-closing");
}

void ScriptDiagnostics::effectUnnamed(unsigned int position) {
    warning(position, "effect without a name; it paints nothing");
}

void ScriptDiagnostics::sceneNotFound(unsigned int position, const std::string& name) {
    warning(position, "no scene is named " + quoted(name) + "; the effect paints nothing" +
                          didYouMean(name, sceneNames));
}

// [SECTION] Attributes

void ScriptDiagnostics::closingQuoteMissing(unsigned int position) {
    warning(position, "missing closing quote: the value runs to the end of the tag");
}

void ScriptDiagnostics::attributeRepeated(unsigned int position, const char* keyword) {
    warning(position, "attribute " + quoted(attributeName(keyword)) +
                          " given again; the later value is used");
}

void ScriptDiagnostics::repeatTruncated(unsigned int position, const std::string& number,
                                        int repeat) {
    warning(position, "repeat " + quoted(number) + " is truncated to " + std::to_string(repeat));
}

void ScriptDiagnostics::textSkipped(const unsigned char* text, unsigned int from, unsigned int to,
                                    unsigned int end) {
    // A "/" that only blanks separate from the tag's end is the self-closing mark, not text.
    unsigned int last = to;
    while (last > from && isBlank(text[last - 1]))
        --last;
    if (last > from && text[last - 1] == '/') {
        unsigned int after = last;
        while (after < end && isBlank(text[after]))
            ++after;
        if (after == end)
            --last;
    }
    while (from < last && isBlank(text[from]))
        ++from;
    if (from >= last)
        return;
    warning(from, "text " + quoted(textBetween(text, from, last)) +
                      " is skipped: attributes must be separated by a space");
}

unsigned int ScriptDiagnostics::attributeNotRecognised(const unsigned char* text,
                                                       unsigned int position, unsigned int end,
                                                       const char* const* keywords,
                                                       int keywordCount) {
    if (text[position] == '/' && position + 1 == end)
        return end;

    unsigned int wordEnd = position;
    while (wordEnd < end && isWordChar(text[wordEnd]))
        ++wordEnd;
    std::string word = textBetween(text, position, wordEnd);
    if (word.empty()) {
        unsigned int stop = skipToWhitespace(text, position, end);
        warning(position, "stray text " + quoted(textBetween(text, position, stop)) + " ignored");
        return stop;
    }

    unsigned int equals = wordEnd;
    while (equals < end && isBlank(text[equals]))
        ++equals;
    if (equals >= end || text[equals] != '=') {
        warning(position, "text " + quoted(word) + " is not an attribute; ignored");
        return wordEnd;
    }
    unsigned int quote = equals + 1;
    while (quote < end && isBlank(text[quote]))
        ++quote;
    if (quote >= end || (text[quote] != '"' && text[quote] != '\'')) {
        warning(position, "attribute " + quoted(word) + " has no quoted value; ignored");
        return skipToWhitespace(text, quote, end);
    }

    unsigned int closing = quote + 1;
    while (closing < end && text[closing] != text[quote])
        ++closing;
    std::vector<std::string> names;
    for (int k = 0; k < keywordCount; ++k)
        names.push_back(attributeName(keywords[k]));
    bool known = std::find(names.begin(), names.end(), word) != names.end();

    if (!known)
        warning(position,
                "unknown attribute " + quoted(word) + "; ignored" + didYouMean(word, names));
    else if (text[quote] == '\'')
        warning(position, "attribute " + quoted(word) + " uses single quotes; ignored");
    else
        warning(position, "blanks around '=' in attribute " + quoted(word) + "; ignored");
    return closing < end ? closing + 1 : end;
}

void ScriptDiagnostics::numberRead(const std::string& number, const char* keyword,
                                   unsigned int position) {
    const char* begin = number.c_str();
    char* stop = nullptr;
    std::strtod(begin, &stop);
    std::string name = attributeName(keyword);
    if (stop == begin) {
        warning(position, name + " value " + quoted(number) + " is not a number; 0 is used");
        return;
    }
    size_t used = static_cast<size_t>(stop - begin);
    size_t rest = used;
    while (rest < number.size() && isBlank(static_cast<unsigned char>(number[rest])))
        ++rest;
    if (rest < number.size())
        warning(position, name + " value " + quoted(number) + " is read only as " +
                              quoted(number.substr(0, used)));
}

} // namespace tarvo64k
