// Severity, docs sections and the one-line shape of findings.
#include "tools/lib/lint/finding.h"

namespace lint {

bool isError(FindingKind kind) {
    return kind == FindingKind::ByteOrderMark || kind == FindingKind::NoEffect;
}

std::string docSection(const Finding& finding) {
    switch (finding.kind) {
    case FindingKind::EffectUnnamed:
    case FindingKind::SceneNotFound:
        return docs::kScenes;
    case FindingKind::EffectNeverPaints:
    case FindingKind::NoEffect:
        return docs::kEffects;
    case FindingKind::PastTheMusic:
        return docs::kMusic;
    case FindingKind::NoCaptureToShow:
        return docs::kCapture;
    case FindingKind::TimeOutOfReach:
    case FindingKind::TriggerTiming:
    case FindingKind::TriggerNeverFires:
        return docs::kTimes;
    case FindingKind::TriggerNameIgnored:
    case FindingKind::TriggerValueMisread:
        return finding.scene;
    default:
        return docs::kFormat;
    }
}

void LineCounter::advanceTo(unsigned int position) {
    for (; scanned < position && scanned < text.size(); ++scanned) {
        if (text[scanned] == '\n') {
            ++line;
            lineStart = scanned + 1;
        }
    }
}

std::string findingLine(const std::string& name, const LineCounter& lines, const Finding& finding) {
    return name + ":" + std::to_string(lines.line) + ":" +
           std::to_string(finding.position - lines.lineStart + 1) + ": " +
           (isError(finding.kind) ? "error: " : "warning: ") + finding.message;
}

} // namespace lint
