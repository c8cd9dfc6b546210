// The reader of the timeline file: a small byte scanner whose rules are the file format, so
// keep them exact. It tells its listener what it keeps and what it drops; it never words a
// finding itself (the tools' lint library does, for the linter and the preview).
#include "framework/input_file.h"
#include "framework/script.h"
#include "framework/script_scan.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tarvo64k {

using namespace scan;

namespace {

const char kTriggerKeyword[] = "trigger ";
const char kEffectKeyword[] = "effect ";

// What the demo reads with: a listener that hears nothing.
class SilentListener final : public ScriptReadListener {};
SilentListener silent;

char* copyText(const unsigned char* text, unsigned int first, unsigned int end) {
    char* copy = new char[end - first + 1];
    std::memcpy(copy, text + first, end - first);
    copy[end - first] = '\0';
    return copy;
}

// Narrowing a double that float cannot hold is undefined, so this rounds as the hardware does
// for every value that does not overflow, and saturates to infinity for those that do: from
// the largest float plus half a unit in its last place on.
float toFloat(double number) {
    constexpr double kOverflow = 3.4028235677973366e38; // FLT_MAX + 2^103
    if (number >= kOverflow)
        return HUGE_VALF;
    if (number <= -kOverflow)
        return -HUGE_VALF;
    if (number > FLT_MAX)
        return FLT_MAX;
    if (number < -FLT_MAX)
        return -FLT_MAX;
    return static_cast<float>(number);
}

// Truncation toward zero, saturated so that huge or NaN text cannot make it undefined.
int toInt(double number) {
    if (std::isnan(number))
        return 0;
    if (number >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (number <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(number);
}

} // namespace

// [SECTION] Reading the file

int readTimelineFile(const char* path, std::string* text) {
    return readRegularFile(path, kLongestTimelineBytes, text);
}

void Script::parse(const std::string& text, ScriptReadListener* readListener) {
    parse(reinterpret_cast<const unsigned char*>(text.data()),
          static_cast<unsigned int>(text.size()), readListener);
}

void Script::parse(const unsigned char* text, unsigned int length,
                   ScriptReadListener* readListener) {
    textLength = length;
    listener = readListener ? readListener : &silent;

    unsigned int position = 0;
    for (;;) {
        int info = skipToInfo(text, position, length);
        if (info < 0)
            break;
        if (text[info] != '<') {
            listener->textOutsideTags(info, length - info);
            break;
        }
        int next = parseTag(text, info, length);
        if (next < 0)
            break;
        position = static_cast<unsigned int>(next);
    }

    textLength = 0;
    listener = nullptr;
}

int Script::parseTag(const unsigned char* text, unsigned int position, unsigned int length) {
    if (position >= length || text[position] != '<')
        return -1;

    unsigned int end = position + 1;
    while (end < length && text[end] != '>')
        ++end;
    parseTagInfo(text, position + 1, end);

    if (end >= length) {
        listener->tagCutOff(position);
        return -1;
    }
    if (end + 1 >= length)
        return -1;
    return static_cast<int>(end + 1);
}

// [SECTION] Tags

void Script::parseTagInfo(const unsigned char* text, unsigned int first, unsigned int end) {
    bool selfClosing = end > first && text[end - 1] == '/';
    bool isTrigger = startsWith(text, first, end, kTriggerKeyword);
    bool isEffect = startsWith(text, first, end, kEffectKeyword);

    if (!selfClosing && first < end && text[first] == '/') {
        if (currentEffect && !startsWith(text, first, end, "/effect"))
            listener->closingTagEndsEffect(text, first - 1, std::min(end + 1, textLength));
        currentEffect = nullptr;
        return;
    }

    if (isTrigger) {
        if (!currentEffect) {
            listener->triggerOutsideEffect(first - 1);
            return;
        }
        Trigger* trigger = new Trigger;
        parseTrigger(trigger, text, first, end);
        currentEffect->triggers.push_back(trigger);
        listener->triggerRead(*trigger, first - 1);
    } else if (isEffect) {
        Effect* effect = new Effect;
        parseEffect(effect, text, first, end);
        effects.push_back(effect);
        if (!selfClosing)
            currentEffect = effect;
        listener->effectRead(*effect, first - 1);
    } else {
        listener->tagIgnored(text, first, end);
        return;
    }

    if (!selfClosing)
        listener->openTagRead(text, first, end);
}

// [SECTION] Attributes

template <typename Store>
void Script::scanAttributes(const unsigned char* text, unsigned int first, unsigned int end,
                            const char* const* keywords, int keywordCount, Store store) {
    unsigned int position = first;
    unsigned int quietUntil = first; // the rest of an attribute already warned about
    unsigned int seen = 0;
    while (position < end) {
        unsigned int separator = skipToWhitespace(text, position, end);
        if (position > first && separator > quietUntil)
            listener->textSkipped(text, std::max(position, quietUntil), separator, end);
        int info = skipToInfo(text, separator, end);
        if (info < 0)
            break;
        position = static_cast<unsigned int>(info);

        int match = -1;
        for (int k = 0; k < keywordCount && match < 0; ++k)
            if (startsWith(text, position, end, keywords[k]))
                match = k;

        if (match >= 0) {
            unsigned int valueFirst = position + std::strlen(keywords[match]);
            unsigned int closing = skipToArgumentEnd(text, valueFirst, end);
            // Without a closing quote the value runs through the tag's ">", but never past
            // the last byte of the file.
            unsigned int valueEnd = std::min(closing, textLength);
            if (closing > end)
                listener->closingQuoteMissing(position);
            if (seen & (1u << match))
                listener->attributeRepeated(position, keywords[match]);
            seen |= 1u << match;
            store(match, valueFirst, valueEnd, position);
            position = closing + 1;
            quietUntil = position;
        } else {
            if (position >= quietUntil)
                quietUntil =
                    listener->attributeNotRecognised(text, position, end, keywords, keywordCount);
            if (position + 1 >= end)
                break;
            position += 1;
        }
    }
}

void Script::parseTrigger(Trigger* trigger, const unsigned char* text, unsigned int first,
                          unsigned int end) {
    auto store = [&](int attribute, unsigned int valueFirst, unsigned int valueEnd,
                     unsigned int position) {
        switch (attribute) {
        case kTriggerName:
            delete[] trigger->name;
            trigger->name = copyText(text, valueFirst, valueEnd);
            return;
        case kTriggerValue:
            delete[] trigger->value;
            trigger->value = copyText(text, valueFirst, valueEnd);
            return;
        default:
            break;
        }
        std::string number = textBetween(text, valueFirst, valueEnd);
        double parsed = std::strtod(number.c_str(), nullptr);
        listener->numberRead(number, kTriggerAttributes[attribute], position);
        if (attribute == kTriggerStart)
            trigger->start = toFloat(parsed);
        else if (attribute == kTriggerDelay)
            trigger->delay = toFloat(parsed);
        else {
            trigger->repeat = toInt(parsed);
            if (parsed != trigger->repeat && !std::isnan(parsed))
                listener->repeatTruncated(position, number, trigger->repeat);
        }
    };
    scanAttributes(text, first, end, kTriggerAttributes, 5, store);
}

void Script::parseEffect(Effect* effect, const unsigned char* text, unsigned int first,
                         unsigned int end) {
    bool named = false;
    auto store = [&](int attribute, unsigned int valueFirst, unsigned int valueEnd,
                     unsigned int position) {
        std::string value = textBetween(text, valueFirst, valueEnd);
        if (attribute == kEffectName) {
            named = true;
            bool found = false;
            for (CallbackEntry* entry : callbacks) {
                if (entry->name == value) {
                    effect->callback = entry->callback; // the last registered row wins
                    found = true;
                }
            }
            if (!found)
                listener->sceneNotFound(valueFirst, value);
            return;
        }
        listener->numberRead(value, kEffectAttributes[attribute], position);
        float number = toFloat(std::strtod(value.c_str(), nullptr));
        if (attribute == kEffectStart) {
            effect->start = number;
        } else {
            effect->end = number;
            if (number > lastEnd)
                lastEnd = number;
        }
    };
    scanAttributes(text, first, end, kEffectAttributes, 3, store);
    if (!named)
        listener->effectUnnamed(first - 1);
}

// [SECTION] Scanner primitives

int Script::skipToInfo(const unsigned char* text, unsigned int position, unsigned int end) {
    while (position < end && isBlank(text[position]))
        ++position;
    return position < end ? static_cast<int>(position) : -1;
}

unsigned int Script::skipToArgumentEnd(const unsigned char* text, unsigned int position,
                                       unsigned int end) {
    // The end index is the tag's ">" and so is searched too; for a tag cut off by the end of
    // the file it lies past the last byte, which must not be read.
    if (textLength == 0)
        return end + 1;
    unsigned int last = std::min(end, textLength - 1);
    for (; position <= last; ++position)
        if (text[position] == '"')
            return position;
    return end + 1;
}

} // namespace tarvo64k
