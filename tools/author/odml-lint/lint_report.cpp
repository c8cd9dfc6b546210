// Findings as FILE:LINE:COL lines with the excerpt and caret compilers print.
#include "tools/author/odml-lint/lint_report.h"

#include "scenes/scene_registry.h"

#include <algorithm>

namespace {

constexpr unsigned int kWideLine = 100; // longer lines are shown around the column only
constexpr unsigned int kContextBefore = 40;
const char kByteOrderMark[] = "\xef\xbb\xbf";

// Length of the UTF-8 sequence starting at `at`, or 0 when the bytes are not one.
size_t utf8Length(const std::string& bytes, size_t at, size_t end) {
    unsigned char lead = static_cast<unsigned char>(bytes[at]);
    size_t length = lead >= 0xc2 && lead <= 0xdf   ? 2
                    : lead >= 0xe0 && lead <= 0xef ? 3
                    : lead >= 0xf0 && lead <= 0xf4 ? 4
                                                   : 0;
    if (length == 0 || at + length > end)
        return 0;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(bytes[at + i]) & 0xc0) != 0x80)
            return 0;
    return length;
}

// The line's bytes from `first` to `end` as they can be shown, and the caret under
// `column`: tabs stay tabs so that the caret lines up, other control bytes and broken
// UTF-8 show as '?', a whole UTF-8 character takes one column.
void printExcerpt(const std::string& bytes, size_t first, size_t end, size_t column, bool cutBefore,
                  bool cutAfter, unsigned int lineNumber, std::FILE* out) {
    std::string shown, caret;
    if (cutBefore) {
        shown = "...";
        caret = "   ";
    }
    for (size_t at = first; at < end;) {
        unsigned char c = static_cast<unsigned char>(bytes[at]);
        size_t length = c >= 0x80 ? utf8Length(bytes, at, end) : 1;
        if (c == '\t')
            shown += '\t';
        else if (c < 0x20 || c == 0x7f || length == 0 || bytes.compare(at, 3, kByteOrderMark) == 0)
            shown += '?'; // a byte-order mark would be invisible and put the caret off
        else
            shown.append(bytes, at, length);
        if (at < column)
            caret += c == '\t' ? '\t' : ' ';
        at += length ? length : 1;
    }
    if (cutAfter)
        shown += "...";
    char gutter[16];
    int width = std::snprintf(gutter, sizeof gutter, "%5u", lineNumber);
    std::fprintf(out, "%s | %s\n%*s | %s^\n", gutter, shown.c_str(), width, "", caret.c_str());
}

void printNote(const std::string& section, std::FILE* out) {
    if (findScene(section))
        std::fprintf(out, "note: see \"%s\" under \"The scenes\" in docs/timeline.md\n",
                     section.c_str());
    else
        std::fprintf(out, "note: see \"%s\" in docs/timeline.md\n", section.c_str());
}

} // namespace

void printFindings(const std::string& name, const std::string& bytes,
                   const std::vector<lint::Finding>& findings, bool explain, std::FILE* out) {
    lint::LineCounter lines(bytes);
    for (const lint::Finding& finding : findings) {
        lines.advanceTo(finding.position);
        std::fprintf(out, "%s\n", lint::findingLine(name, lines, finding).c_str());
        const size_t lineStart = lines.lineStart;
        size_t lineEnd = bytes.find('\n', lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = bytes.size();
        if (lineEnd > lineStart && bytes[lineEnd - 1] == '\r')
            --lineEnd;
        size_t column = std::min<size_t>(finding.position, lineEnd);
        size_t first = lineStart, end = lineEnd;
        if (end - first > kWideLine) { // a long line: the part around the column
            first = column > first + kContextBefore ? column - kContextBefore : first;
            while (first > lineStart && (static_cast<unsigned char>(bytes[first]) & 0xc0) == 0x80)
                --first;
            end = std::min(end, first + kWideLine);
        }
        if (end > first)
            printExcerpt(bytes, first, end, column, first > lineStart, end < lineEnd, lines.line,
                         out);
        if (explain)
            printNote(lint::docSection(finding), out);
    }
}
