// Memory figures from /proc/self/status and glibc's heap statistics.
#include "tools/benches/soak/memory_figures.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <sstream>

namespace soak {

namespace {

bool findKiB(const std::string& text, const char* key, long* value) {
    std::string prefix = std::string("\n") + key + ":";
    size_t at = ("\n" + text).find(prefix);
    if (at == std::string::npos)
        return false;
    const char* number = text.c_str() + at + prefix.size() - 1;
    char* end = nullptr;
    long kib = std::strtol(number, &end, 10);
    if (end == number || kib < 0)
        return false;
    *value = kib;
    return true;
}

long laterMaximum(const std::vector<PassFigures>& passes,
                  long (*figure)(const PassFigures&, bool teardown)) {
    long growth = 0;
    for (bool teardown : {false, true}) {
        const long first = figure(passes.front(), teardown);
        for (size_t pass = 1; pass < passes.size(); ++pass)
            growth = std::max(growth, figure(passes[pass], teardown) - first);
    }
    return growth;
}

} // namespace

bool parseProcStatus(const std::string& text, MemorySample* sample) {
    return findKiB(text, "VmRSS", &sample->residentKiB) && findKiB(text, "VmHWM", &sample->peakKiB);
}

bool sampleMemory(MemorySample* sample) {
    malloc_trim(0); // what is freed but still mapped is not held
    std::ifstream status("/proc/self/status");
    std::stringstream text;
    text << status.rdbuf();
    if (!status || !parseProcStatus(text.str(), sample))
        return false;
    struct mallinfo2 heap = mallinfo2();
    sample->heapInUseKiB = static_cast<long>((heap.uordblks + heap.hblkhd) / 1024);
    return true;
}

Growth judgeGrowth(const std::vector<PassFigures>& passes, long allowanceKiB) {
    Growth growth;
    if (passes.size() < 2)
        return growth;
    growth.residentKiB = laterMaximum(passes, [](const PassFigures& pass, bool teardown) {
        return (teardown ? pass.afterTeardown : pass.afterFrames).residentKiB;
    });
    growth.heapKiB = laterMaximum(passes, [](const PassFigures& pass, bool teardown) {
        return (teardown ? pass.afterTeardown : pass.afterFrames).heapInUseKiB;
    });
    growth.steady = growth.residentKiB <= allowanceKiB && growth.heapKiB <= allowanceKiB;
    return growth;
}

} // namespace soak
