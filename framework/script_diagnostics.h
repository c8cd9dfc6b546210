// The reader's findings put into words, for the linter: one warning per finding, at its
// position. The texts quote the file as it is, escaped and shortened where needed.
#pragma once

#include "framework/script.h"

#include <string>
#include <vector>

namespace tarvo64k {

class ScriptDiagnostics : public ScriptReadListener {
public:
    virtual void warning(unsigned int position, const std::string& message) = 0;

    // The scene names an unknown one is compared with, for a "did you mean"; none by default.
    std::vector<std::string> sceneNames;

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

protected:
    ~ScriptDiagnostics() = default;
};

} // namespace tarvo64k
