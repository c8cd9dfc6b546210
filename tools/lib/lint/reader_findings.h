// Hears the demo's reader and puts what it skips or misreads into findings, one at each place,
// and notes where each record it keeps begins. The texts quote the file as it is, escaped and
// shortened where needed.
#pragma once

#include "framework/script.h"
#include "tools/lib/lint/finding.h"

#include <map>
#include <string>
#include <vector>

namespace lint {

class ReaderFindings final : public tarvo64k::ScriptReadListener {
public:
    // `offset` is added to every position, for a reading of the file's tail.
    explicit ReaderFindings(unsigned int offset = 0) : offset(offset) {}

    // The scene names an unknown one is compared with, for a "did you mean"; none by default.
    std::vector<std::string> sceneNames;
    std::vector<Finding> findings;
    // Where each effect and trigger read begins, by the record's address.
    std::map<const void*, unsigned int> positions;

    void effectRead(const tarvo64k::Effect& effect, unsigned int position) override;
    void triggerRead(const tarvo64k::Trigger& trigger, unsigned int position) override;

    void textOutsideTags(unsigned int position, unsigned int bytesIgnored) override;
    void tagCutOff(unsigned int position) override;
    void closingTagEndsEffect(const unsigned char* text, unsigned int first,
                              unsigned int end) override;
    void triggerOutsideEffect(unsigned int position) override;
    void tagIgnored(const unsigned char* text, unsigned int first, unsigned int end) override;
    void openTagRead(const unsigned char* text, unsigned int first, unsigned int end) override;
    void textSkipped(const unsigned char* text, unsigned int from, unsigned int to,
                     unsigned int end) override;
    unsigned int attributeNotRecognised(const unsigned char* text, unsigned int position,
                                        unsigned int end, const char* const* keywords,
                                        int keywordCount) override;
    void closingQuoteMissing(unsigned int position) override;
    void attributeRepeated(unsigned int position, const char* keyword) override;
    void numberRead(const std::string& number, const char* keyword, unsigned int position) override;
    void repeatTruncated(unsigned int position, const std::string& number, int repeat) override;
    void sceneNotFound(unsigned int position, const std::string& name) override;
    void effectUnnamed(unsigned int position) override;

private:
    void add(FindingKind kind, unsigned int position, const std::string& message);
    unsigned int offset;
};

} // namespace lint
