// Plain fixed-width tables: easy to read in a terminal and to paste into a note.
#include "tools/author/capture/bench_report.h"

#include "host/window_interface.h"
#include "tools/lib/authoring/frame_clock.h"

namespace capture {

namespace {

void printTimes(std::FILE* out, const TimeSummary& summary) {
    std::fprintf(out, "%7lld %8.2f %8.2f %8.2f %8.2f %8.1f", static_cast<long long>(summary.count),
                 summary.median, summary.p95, summary.p99, summary.max,
                 summary.median > 0 ? 1000.0 / summary.median : 0.0);
}

void printSections(std::FILE* out, const BenchFigures& figures) {
    std::fprintf(out, "\nSections (runs of frames with the same active effects)\n");
    std::fprintf(out, "  #  from       to          frames   median      p95      p99      max"
                      "  fps@med  effects\n");
    int number = 1;
    for (const Section& section : figures.sections) {
        std::fprintf(out, "%3d  %-9s  %-9s  ", number++,
                     authoring::formatClock(section.firstMs).c_str(),
                     authoring::formatClock(section.lastMs).c_str());
        printTimes(out, summarise(section.frameMs));
        std::fprintf(out, "  %s\n", section.label.c_str());
    }
}

void printProfile(std::FILE* out, const BenchFigures& figures, double frameTotal) {
    std::fprintf(out, "\nScene paint cost (glFinish before and after each paint; most "
                      "expensive first)\n");
    std::fprintf(out, "scene            paints   total ms   mean ms    max ms   share\n");
    for (const SceneCost& cost : figures.sceneCosts) {
        double mean = cost.paints ? cost.totalMs / cost.paints : 0.0;
        double share = frameTotal > 0 ? 100.0 * cost.totalMs / frameTotal : 0.0;
        std::fprintf(out, "%-15s %7lld %10.1f %9.2f %9.2f  %5.1f%%\n", cost.name.c_str(),
                     static_cast<long long>(cost.paints), cost.totalMs, mean, cost.maxMs, share);
    }
    if (figures.sceneCosts.empty())
        std::fprintf(out, "(no effect in the range names a registered scene)\n");
}

} // namespace

void printBench(std::FILE* out, const BenchFigures& figures) {
    std::fprintf(out, "Solvane frame times\n");
    std::fprintf(out, "  timeline  %s\n", figures.timeline.c_str());
    std::fprintf(out, "  renderer  %s, %dx%d\n", figures.renderer.c_str(), figures.width,
                 figures.height);
    std::fprintf(out, "  range     frames %lld-%lld, %s-%s at %d fps\n",
                 static_cast<long long>(figures.firstFrame),
                 static_cast<long long>(figures.lastFrame),
                 authoring::formatClock(figures.firstMs).c_str(),
                 authoring::formatClock(figures.lastMs).c_str(), figures.fps);
    std::fprintf(out, "  timed     draw, glFinish and swap of each frame, in ms%s\n",
                 figures.profiled ? " (with the profiler's extra glFinish calls)" : "");
    std::fprintf(out, "\n                               frames   median      p95      p99      max"
                      "  fps@med\n");
    TimeSummary overall = summarise(figures.frameMs);
    std::fprintf(out, "overall                       ");
    printTimes(out, overall);
    std::fprintf(out, "\n");
    printSections(out, figures);
    if (figures.profiled)
        printProfile(out, figures, overall.total);
}

void printRunTimes(std::FILE* out, const RunTimes& times) {
    std::fprintf(out,
                 "solvane-capture: %lld frames in %.1f s: rendering %.1f s, reading back %.1f s, "
                 "waiting on the encoder %.1f s\n",
                 static_cast<long long>(times.frames), times.wallMs / 1000, times.renderMs / 1000,
                 times.readBackMs / 1000, times.encoderWaitMs / 1000);
}

} // namespace capture
