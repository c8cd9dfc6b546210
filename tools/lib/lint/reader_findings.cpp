// The reader's findings in words. Each text says what was found and what the reader did
// with it, since the demo itself reads on in silence.
#include "tools/lib/lint/reader_findings.h"

#include "framework/script_scan.h"
#include "tools/lib/lint/name_suggestion.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lint {

using namespace tarvo64k::scan;

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

void ReaderFindings::add(FindingKind kind, unsigned int position, const std::string& message) {
    findings.push_back({kind, position + offset, message, ""});
}

void ReaderFindings::effectRead(const tarvo64k::Effect& effect, unsigned int position) {
    positions[&effect] = position + offset;
}

void ReaderFindings::triggerRead(const tarvo64k::Trigger& trigger, unsigned int position) {
    positions[&trigger] = position + offset;
}

// [SECTION] Tags

void ReaderFindings::textOutsideTags(unsigned int position, unsigned int bytesIgnored) {
    add(FindingKind::TextOutsideTags, position,
        "text outside tags ends the reading; " + std::to_string(bytesIgnored) + " bytes ignored");
}

void ReaderFindings::tagCutOff(unsigned int position) {
    add(FindingKind::TagCutOff, position, "tag is cut off by the end of the file");
}

void ReaderFindings::closingTagEndsEffect(const unsigned char* text, unsigned int first,
                                          unsigned int end) {
    add(FindingKind::ClosingTagEndsEffect, first,
        "closing tag " + quoted(textBetween(text, first, end)) + " ends the current effect");
}

void ReaderFindings::triggerOutsideEffect(unsigned int position) {
    add(FindingKind::TriggerOutsideEffect, position, "trigger outside any effect; dropped");
}

void ReaderFindings::tagIgnored(const unsigned char* text, unsigned int first, unsigned int end) {
    // Comments and declarations are ordinary in XML-like files; only a ">" inside them hurts,
    // and that shows up as text outside tags.
    if (startsWith(text, first, end, "!") || startsWith(text, first, end, "?"))
        return;
    if (end - first == 1 && text[first] == '/') {
        add(FindingKind::TagIgnored, first - 1, "'</>' is not a closing tag; ignored");
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
    add(FindingKind::TagIgnored, first - 1, message);
}

void ReaderFindings::openTagRead(const unsigned char* text, unsigned int first, unsigned int end) {
    unsigned int last = end;
    while (last > first && isBlank(text[last - 1]))
        --last;
    if (last < end && last > first && text[last - 1] == '/')
        add(FindingKind::NotSelfClosing, last - 1,
            "blank between '/' and '>': the tag is not self-closing");
}

void ReaderFindings::effectUnnamed(unsigned int position) {
    add(FindingKind::EffectUnnamed, position, "effect without a name; it paints nothing");
}

void ReaderFindings::sceneNotFound(unsigned int position, const std::string& name) {
    add(FindingKind::SceneNotFound, position,
        "no scene is named " + quoted(name) + "; the effect paints nothing" +
            didYouMean(name, sceneNames));
}

// [SECTION] Attributes

void ReaderFindings::closingQuoteMissing(unsigned int position) {
    add(FindingKind::ClosingQuoteMissing, position,
        "missing closing quote: the value runs to the end of the tag");
}

void ReaderFindings::attributeRepeated(unsigned int position, const char* keyword) {
    add(FindingKind::AttributeRepeated, position,
        "attribute " + quoted(attributeName(keyword)) + " given again; the later value is used");
}

void ReaderFindings::repeatTruncated(unsigned int position, const std::string& number, int repeat) {
    add(FindingKind::RepeatTruncated, position,
        "repeat " + quoted(number) + " is truncated to " + std::to_string(repeat));
}

void ReaderFindings::textSkipped(const unsigned char* text, unsigned int from, unsigned int to,
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
    add(FindingKind::TextSkipped, from,
        "text " + quoted(textBetween(text, from, last)) +
            " is skipped: attributes must be separated by a space");
}

unsigned int ReaderFindings::attributeNotRecognised(const unsigned char* text,
                                                    unsigned int position, unsigned int end,
                                                    const char* const* keywords, int keywordCount) {
    if (text[position] == '/' && position + 1 == end)
        return end;

    unsigned int wordEnd = position;
    while (wordEnd < end && isWordChar(text[wordEnd]))
        ++wordEnd;
    std::string word = textBetween(text, position, wordEnd);
    if (word.empty()) {
        unsigned int stop = skipToWhitespace(text, position, end);
        add(FindingKind::AttributeIgnored, position,
            "stray text " + quoted(textBetween(text, position, stop)) + " ignored");
        return stop;
    }

    unsigned int equals = wordEnd;
    while (equals < end && isBlank(text[equals]))
        ++equals;
    if (equals >= end || text[equals] != '=') {
        add(FindingKind::AttributeIgnored, position,
            "text " + quoted(word) + " is not an attribute; ignored");
        return wordEnd;
    }
    unsigned int quote = equals + 1;
    while (quote < end && isBlank(text[quote]))
        ++quote;
    if (quote >= end || (text[quote] != '"' && text[quote] != '\'')) {
        add(FindingKind::AttributeIgnored, position,
            "attribute " + quoted(word) + " has no quoted value; ignored");
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
        add(FindingKind::AttributeIgnored, position,
            "unknown attribute " + quoted(word) + "; ignored" + didYouMean(word, names));
    else if (text[quote] == '\'')
        add(FindingKind::AttributeIgnored, position,
            "attribute " + quoted(word) + " uses single quotes; ignored");
    else
        add(FindingKind::AttributeIgnored, position,
            "blanks around '=' in attribute " + quoted(word) + "; ignored");
    return closing < end ? closing + 1 : end;
}

void ReaderFindings::numberRead(const std::string& number, const char* keyword,
                                unsigned int position) {
    const char* begin = number.c_str();
    char* stop = nullptr;
    std::strtod(begin, &stop);
    std::string name = attributeName(keyword);
    if (stop == begin) {
        add(FindingKind::NumberMisread, position,
            name + " value " + quoted(number) + " is not a number; 0 is used");
        return;
    }
    size_t used = static_cast<size_t>(stop - begin);
    size_t rest = used;
    while (rest < number.size() && isBlank(static_cast<unsigned char>(number[rest])))
        ++rest;
    if (rest < number.size())
        add(FindingKind::NumberMisread, position,
            name + " value " + quoted(number) + " is read only as " +
                quoted(number.substr(0, used)));
}

} // namespace lint
