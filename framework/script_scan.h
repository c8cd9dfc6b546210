// The timeline scanner's byte rules, shared by the reader and its diagnostics so that the
// two can never disagree on what a blank, a word or an attribute is.
#pragma once

#include <cstring>
#include <string>

namespace tarvo64k {
namespace scan {

// Attribute keywords as the reader compares them, with "=" and the opening quote.
inline const char* const kTriggerAttributes[] = {"start=\"", "name=\"", "value=\"", "repeat=\"",
                                                 "delay=\""};
enum TriggerAttribute { kTriggerStart, kTriggerName, kTriggerValue, kTriggerRepeat, kTriggerDelay };
inline const char* const kEffectAttributes[] = {"start=\"", "name=\"", "end=\""};
enum EffectAttribute { kEffectStart, kEffectName, kEffectEnd };

inline bool isBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

inline bool isWordChar(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == ':' || c == '.';
}

// Whether `word` stands at `position`, wholly before `end`.
inline bool startsWith(const unsigned char* text, unsigned int position, unsigned int end,
                       const char* word) {
    size_t length = std::strlen(word);
    return position <= end && end - position >= length &&
           std::memcmp(text + position, word, length) == 0;
}

inline std::string textBetween(const unsigned char* text, unsigned int first, unsigned int end) {
    return std::string(reinterpret_cast<const char*>(text) + first, end - first);
}

// Attributes are separated by a space only; other blanks belong to the attribute's text.
inline unsigned int skipToWhitespace(const unsigned char* text, unsigned int position,
                                     unsigned int end) {
    while (position < end && text[position] != ' ')
        ++position;
    return position;
}

} // namespace scan
} // namespace tarvo64k
