// The timeline engine: registry, per-frame evaluation and the reader of the timeline file.
// The reader is a small byte scanner; its rules are the file format, so keep them exact.
#include "framework/script.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tarvo64k {

namespace {

const char kTriggerKeyword[] = "trigger ";
const char kEffectKeyword[] = "effect ";

// Attribute keywords as the scanner compares them, with "=" and the opening quote.
const char* const kTriggerAttributes[] = {"start=\"", "name=\"", "value=\"", "repeat=\"",
                                          "delay=\""};
enum TriggerAttribute { kTriggerStart, kTriggerName, kTriggerValue, kTriggerRepeat, kTriggerDelay };
const char* const kEffectAttributes[] = {"start=\"", "name=\"", "end=\""};
enum EffectAttribute { kEffectStart, kEffectName, kEffectEnd };

bool isBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isWordChar(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == ':' || c == '.';
}

// Whether `word` stands at `position`, wholly before `end`.
bool startsWith(const unsigned char* text, unsigned int position, unsigned int end,
                const char* word) {
    size_t length = std::strlen(word);
    return position <= end && end - position >= length &&
           std::memcmp(text + position, word, length) == 0;
}

std::string textBetween(const unsigned char* text, unsigned int first, unsigned int end) {
    return std::string(reinterpret_cast<const char*>(text) + first, end - first);
}

char* copyText(const unsigned char* text, unsigned int first, unsigned int end) {
    char* copy = new char[end - first + 1];
    std::memcpy(copy, text + first, end - first);
    copy[end - first] = '\0';
    return copy;
}

// Narrowing a double that float cannot hold is undefined; saturate to infinity instead.
float toFloat(double number) {
    if (number > 3.4028234663852886e38)
        return HUGE_VALF;
    if (number < -3.4028234663852886e38)
        return -HUGE_VALF;
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

} // namespace

// [SECTION] Records

Trigger::~Trigger() {
    delete[] name;
    delete[] value;
}

Effect::~Effect() {
    for (Trigger* trigger : triggers)
        delete trigger;
}

Script::~Script() {
    clear();
}

void Script::clear() {
    for (Effect* effect : effects)
        delete effect;
    for (CallbackEntry* entry : callbacks)
        delete entry;
    effects.clear();
    callbacks.clear();
    currentEffect = nullptr;
    lastEnd = 0;
    lastTime = 0;
}

void Script::addCallback(const std::string& name, Callback* callback) {
    CallbackEntry* entry = new CallbackEntry;
    entry->callback = callback;
    entry->name = name;
    callbacks.push_back(entry);
}

// [SECTION] Per-frame evaluation

int Script::update(float time) {
    float delta = time - lastTime;
    lastTime = time;
    if (time < 0)
        return 1;
    if (time > lastEnd)
        return 0;

    for (Effect* effect : effects) {
        if (!(time >= effect->start && time < effect->end))
            continue;
        updateEffect(effect, time, delta);
        if (effect->callback) {
            float elapsed = time - effect->start;
            effect->callback->paint(elapsed, delta, elapsed / (effect->end - effect->start));
        }
    }
    return 1;
}

void Script::updateEffect(Effect* effect, float time, float /*delta*/) {
    float relative = time - effect->start;
    if (!effect->callback)
        return;

    for (Trigger* trigger : effect->triggers) {
        if (!(trigger->fired < trigger->repeat))
            continue;
        float due = trigger->start + trigger->delay * trigger->fired;
        if (relative < due)
            continue;
        // One firing per update: overdue repetitions come one per frame.
        ++trigger->fired;
        std::string value(trigger->value ? trigger->value : "");
        std::string name(trigger->name ? trigger->name : "");
        effect->callback->trigger(relative, name, value);
    }
}

// [SECTION] Reading the file

void Script::load(const char* fileName, ScriptReadListener* readListener) {
    FILE* file = std::fopen(fileName, "rb");
    if (!file)
        return;

    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    // Positions are handed around as int; a timeline of 2 GiB is not one.
    if (size < 0 || size > INT_MAX - 2 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return;
    }

    unsigned char* buffer = new unsigned char[size > 0 ? size : 1];
    size_t got = 0;
    while (got < static_cast<size_t>(size)) {
        size_t chunk = std::fread(buffer + got, 1, size - got, file);
        if (chunk == 0)
            break; // shrunk while read, or not a readable file: parse what arrived
        got += chunk;
    }
    std::fclose(file);

    parse(buffer, static_cast<unsigned int>(got), readListener);
    delete[] buffer;
}

void Script::parse(const unsigned char* text, unsigned int length,
                   ScriptReadListener* readListener) {
    textLength = length;
    listener = readListener;

    unsigned int position = 0;
    for (;;) {
        int info = skipToInfo(text, position, length);
        if (info < 0)
            break;
        if (text[info] != '<') {
            if (listener)
                warn(info, "text outside tags ends the reading; " + std::to_string(length - info) +
                               " bytes ignored");
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
        if (listener)
            warn(position, "tag is cut off by the end of the file");
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
        if (listener && currentEffect && !startsWith(text, first, end, "/effect"))
            warn(first - 1,
                 "closing tag " +
                     quoted(textBetween(text, first - 1, std::min(end + 1, textLength))) +
                     " ends the current effect");
        currentEffect = nullptr;
        return;
    }

    if (isTrigger) {
        if (!currentEffect) {
            if (listener)
                warn(first - 1, "trigger outside any effect; dropped");
            return;
        }
        Trigger* trigger = new Trigger;
        parseTrigger(trigger, text, first, end);
        currentEffect->triggers.push_back(trigger);
        if (listener)
            listener->triggerRead(*trigger, first - 1);
    } else if (isEffect) {
        Effect* effect = new Effect;
        parseEffect(effect, text, first, end);
        effects.push_back(effect);
        if (!selfClosing)
            currentEffect = effect;
        if (listener)
            listener->effectRead(*effect, first - 1);
    } else if (listener) {
        warnIgnoredTag(text, first, end);
        return;
    }

    if (listener && !selfClosing) {
        unsigned int last = end;
        while (last > first && isBlank(text[last - 1]))
            --last;
        if (last < end && last > first && text[last - 1] == '/')
            warn(last - 1, "blank between '/' and '>': the tag is not self-closing");
    }
}

void Script::warnIgnoredTag(const unsigned char* text, unsigned int first, unsigned int end) {
    // Comments and declarations are ordinary in XML-like files; only a ">" inside them hurts,
    // and that shows up as text outside tags.
    if (startsWith(text, first, end, "!") || startsWith(text, first, end, "?"))
        return;
    if (end - first == 1 && text[first] == '/') {
        warn(first - 1, "'</>' is not a closing tag; ignored");
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
    }
    warn(first - 1, message);
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
        if (listener && position > first && separator > quietUntil)
            warnSkippedText(text, std::max(position, quietUntil), separator, end);
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
            if (listener) {
                if (closing > end)
                    warn(position, "missing closing quote: the value runs to the end of the tag");
                if (seen & (1u << match))
                    warn(position, "attribute " + quoted(keywords[match]) +
                                       " given again; the later value is used");
            }
            seen |= 1u << match;
            store(match, valueFirst, valueEnd, position);
            position = closing + 1;
            quietUntil = position;
        } else {
            if (listener && position >= quietUntil)
                quietUntil = warnUnknownAttribute(text, position, end, keywords, keywordCount);
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
        if (listener)
            checkNumber(number, kTriggerAttributes[attribute], position);
        if (attribute == kTriggerStart)
            trigger->start = toFloat(parsed);
        else if (attribute == kTriggerDelay)
            trigger->delay = toFloat(parsed);
        else {
            trigger->repeat = toInt(parsed);
            if (listener && parsed != trigger->repeat && !std::isnan(parsed))
                warn(position, "repeat " + quoted(number) + " is truncated to " +
                                   std::to_string(trigger->repeat));
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
            if (listener && !found)
                warn(valueFirst,
                     "no scene is named " + quoted(value) + "; the effect paints nothing");
            return;
        }
        if (listener)
            checkNumber(value, kEffectAttributes[attribute], position);
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
    if (listener && !named)
        warn(first - 1, "effect without a name; it paints nothing");
}

// [SECTION] Scanner primitives

unsigned int Script::skipToWhitespace(const unsigned char* text, unsigned int position,
                                      unsigned int end) {
    while (position < end && text[position] != ' ')
        ++position;
    return position;
}

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

// [SECTION] Diagnostics

namespace {

// "start=\"" -> "start"
std::string attributeName(const char* keyword) {
    return std::string(keyword, std::strlen(keyword) - 2);
}

} // namespace

void Script::warn(unsigned int position, const std::string& message) {
    listener->warning(position, message);
}

void Script::warnSkippedText(const unsigned char* text, unsigned int from, unsigned int to,
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
    warn(from, "text " + quoted(textBetween(text, from, last)) +
                   " is skipped: attributes must be separated by a space");
}

unsigned int Script::warnUnknownAttribute(const unsigned char* text, unsigned int position,
                                          unsigned int end, const char* const* keywords,
                                          int keywordCount) {
    if (text[position] == '/' && position + 1 == end)
        return end;

    unsigned int wordEnd = position;
    while (wordEnd < end && isWordChar(text[wordEnd]))
        ++wordEnd;
    std::string word = textBetween(text, position, wordEnd);
    if (word.empty()) {
        unsigned int stop = skipToWhitespace(text, position, end);
        warn(position, "stray text " + quoted(textBetween(text, position, stop)) + " ignored");
        return stop;
    }

    unsigned int equals = wordEnd;
    while (equals < end && isBlank(text[equals]))
        ++equals;
    if (equals >= end || text[equals] != '=') {
        warn(position, "text " + quoted(word) + " is not an attribute; ignored");
        return wordEnd;
    }
    unsigned int quote = equals + 1;
    while (quote < end && isBlank(text[quote]))
        ++quote;
    if (quote >= end || (text[quote] != '"' && text[quote] != '\'')) {
        warn(position, "attribute " + quoted(word) + " has no quoted value; ignored");
        return skipToWhitespace(text, quote, end);
    }

    unsigned int closing = quote + 1;
    while (closing < end && text[closing] != text[quote])
        ++closing;
    bool known = false;
    for (int k = 0; k < keywordCount; ++k)
        known = known || attributeName(keywords[k]) == word;

    if (!known)
        warn(position, "unknown attribute " + quoted(word) + "; ignored");
    else if (text[quote] == '\'')
        warn(position, "attribute " + quoted(word) + " uses single quotes; ignored");
    else
        warn(position, "blanks around '=' in attribute " + quoted(word) + "; ignored");
    return closing < end ? closing + 1 : end;
}

void Script::checkNumber(const std::string& number, const char* keyword, unsigned int position) {
    const char* begin = number.c_str();
    char* stop = nullptr;
    std::strtod(begin, &stop);
    std::string name = attributeName(keyword);
    if (stop == begin) {
        warn(position, name + " value " + quoted(number) + " is not a number; 0 is used");
        return;
    }
    size_t used = static_cast<size_t>(stop - begin);
    size_t rest = used;
    while (rest < number.size() && isBlank(static_cast<unsigned char>(number[rest])))
        ++rest;
    if (rest < number.size())
        warn(position, name + " value " + quoted(number) + " is read only as " +
                           quoted(number.substr(0, used)));
}

} // namespace tarvo64k
