// aubio's beat tracker and onset detector over the decoded music, then a robust line fit of
// the beats: aubio reports beats to a hop, the fit puts them back on one steady grid.
#include "tools/lib/cue_detection/beat_detection.h"

#include "sound/mp3_decoder.h"
#include "sound/sound.h"
#include "tools/lib/cues/beat_grid.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace cues {

namespace {

constexpr unsigned kHop = 512, kWindow = 1024; // the beat tracker's tuning assumes 512
constexpr double kTempoStep = 0.06;     // a change of more than 6 % in the beat starts a new tempo
constexpr double kClearlyBetter = 1.25; // how much more onset another beat length must meet
constexpr double kNearlyTies = 0.9;
constexpr size_t kShortestRun = 16; // beats; shorter runs are noise, not a tempo

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

struct Line {
    double start, beat; // the grid: start + k * beat
};

// The rise of the music's level, frame by frame: where it jumps, something starts.
struct Flux {
    static constexpr int kFrame = 64; // samples: a frame is 1.45 ms
    std::vector<float> rise;
    explicit Flux(const std::vector<float>& mono) {
        float previous = 0;
        for (size_t at = 0; at + kFrame <= mono.size(); at += kFrame) {
            float energy = 0;
            for (int n = 0; n < kFrame; ++n)
                energy += mono[at + n] * mono[at + n];
            float level = std::sqrt(energy);
            rise.push_back(std::max(0.0f, level - previous));
            previous = level;
        }
    }
    // The rise around a time: the frame holding it and its neighbours.
    double at(double seconds) const {
        long frame = std::lround(seconds * kDetectionRate / kFrame - 0.5);
        double sum = 0;
        for (long f = frame - 1; f <= frame + 1; ++f)
            if (f >= 0 && f < long(rise.size()))
                sum += rise[size_t(f)];
        return sum;
    }
};

// The beat period and phase over [from, to) whose grid collects the most rise: the beat
// tracker gives the period to a few per cent, and may follow the off-beat; the music's own
// onsets settle both.
double combScore(const Flux& flux, double start, double beat, double to) {
    double score = 0;
    for (double time = start; time < to; time += beat)
        score += flux.at(time);
    return score;
}

// Searches beats within `beatSpan` of the given grid's and starts within `phaseSpan` of its
// start (or over a whole beat from `from`), for the grid that meets the most rise before `to`.
Line bestGrid(const Flux& flux, Line centre, double from, double to, double beatSpan,
              double beatStep, double phaseSpan, double phaseStep, double* score) {
    Line best = centre;
    *score = -1;
    bool wholeBeat = phaseSpan >= centre.beat;
    for (double beat = centre.beat - beatSpan; beat <= centre.beat + beatSpan; beat += beatStep) {
        double first = wholeBeat ? from : centre.start - phaseSpan;
        double last = wholeBeat ? from + beat : centre.start + phaseSpan;
        for (double start = first; start < last; start += phaseStep) {
            double value = combScore(flux, start, beat, to);
            if (value > *score) {
                *score = value;
                best = {start, beat};
            }
        }
    }
    return best;
}

// The grid over [from, to) near `period`, to a few microseconds of beat and a tenth of a
// millisecond of phase: the tracker gives the period to a few per cent and may follow the
// off-beat; the music's own onsets settle both.
Line combFit(const Flux& flux, double from, double to, double period) {
    double score = 0;
    Line grid =
        bestGrid(flux, {from, period}, from, to, period * 0.03, 0.0001, period, 0.002, &score);
    grid = bestGrid(flux, grid, from, to, 0.00015, 0.00001, 0.003, 0.0005, &score);
    return bestGrid(flux, grid, from, to, 0.00002, 0.000002, 0.0006, 0.0001, &score);
}

// The tracker may follow a half, double or dotted beat. The period among those whose grid
// meets the strongest onsets on average; the tracked one unless another is clearly better.
double likeliestPeriod(const Flux& flux, double from, double to, double tracked) {
    auto meanRise = [&](double period) {
        double rise = 0;
        bestGrid(flux, {from, period}, from, to, period * 0.03, 0.0002, period, 0.002, &rise);
        return rise / std::max(1.0, std::floor((to - from) / period));
    };
    std::vector<std::pair<double, double>> candidates; // period, mean rise
    double best = 0;
    for (double ratio : {1.0, 0.5, 2.0 / 3, 1.5, 2.0}) {
        double period = tracked * ratio;
        if (period > 0.2 && period < 2)
            candidates.emplace_back(period, meanRise(period));
        best = std::max(best, candidates.back().second);
    }
    if (candidates.front().second * kClearlyBetter >= best)
        return tracked;
    // A beat of twice the length meets the same onsets: the shortest that nearly ties wins.
    double chosen = 2;
    for (const auto& [period, rise] : candidates)
        if (rise >= kNearlyTies * best)
            chosen = std::min(chosen, period);
    return chosen;
}

// Where one tempo gives way to the next: the beat of the next tempo's grid, carried back
// over the end of the earlier run, that lets the two grids meet the most onsets. The tracker
// follows a change seconds late.
double changeTime(const Flux& flux, const Line& earlier, double earlierFrom, const Line& later,
                  double laterFrom) {
    double best = laterFrom, bestScore = -1;
    for (double time = later.start; time > earlierFrom; time -= later.beat) {
        double score = combScore(flux, earlier.start, earlier.beat, time) +
                       combScore(flux, time, later.beat, laterFrom);
        if (score > bestScore) {
            bestScore = score;
            best = time;
        }
    }
    return best;
}

double medianInterval(const std::vector<double>& beats, size_t from, size_t to) {
    std::vector<double> intervals;
    for (size_t i = from + 1; i < to; ++i)
        intervals.push_back(beats[i] - beats[i - 1]);
    return median(intervals);
}

// Beat runs of one tempo: each ends where the beat interval ahead leaves the one behind, and
// neighbouring runs whose intervals agree are one (the tracker stumbles where the drums stop).
std::vector<std::pair<size_t, size_t>> steadyRuns(const std::vector<double>& beats) {
    std::vector<std::pair<size_t, size_t>> runs;
    size_t from = 0;
    for (size_t i = kShortestRun; i + kShortestRun < beats.size(); ++i) {
        double before = medianInterval(beats, i - kShortestRun, i + 1);
        double after = medianInterval(beats, i, i + kShortestRun + 1);
        if (i - from >= kShortestRun && std::fabs(after - before) > kTempoStep * before) {
            runs.emplace_back(from, i + 1);
            from = i;
        }
    }
    runs.emplace_back(from, beats.size());
    std::vector<std::pair<size_t, size_t>> merged = {runs.front()};
    for (size_t r = 1; r < runs.size(); ++r) {
        double last = medianInterval(beats, merged.back().first, merged.back().second);
        double next = medianInterval(beats, runs[r].first, runs[r].second);
        if (std::fabs(next - last) <= kTempoStep * last)
            merged.back().second = runs[r].second;
        else
            merged.push_back(runs[r]);
    }
    return merged;
}

} // namespace

// The tempo map: a tempo for each steady run of tracked beats, its grid fitted to the onsets
// from where the run starts (the music's start, for the first) to where the next one does,
// latest first. A run whose tracked beat is near the following tempo's is taken as that
// tempo carried back: where no drums play, the tracker wanders while the music keeps time.
std::vector<TempoChange> fitTempoMap(const std::vector<double>& beats, const Flux& flux,
                                     double length, int beatsPerBar) {
    if (beats.size() < kShortestRun)
        return {};
    std::vector<std::pair<size_t, size_t>> runs = steadyRuns(beats);
    std::vector<std::pair<double, Line>> fitted; // from where, which grid; last run first
    for (size_t r = runs.size(); r-- > 0;) {
        double begin = r == 0 ? 0 : beats[runs[r].first];
        double end = fitted.empty() ? length : fitted.back().first;
        double tracked = medianInterval(beats, runs[r].first, runs[r].second);
        if (!fitted.empty()) {
            Line carried = fitted.back().second;
            carried.start -= std::floor((carried.start - begin) / carried.beat) * carried.beat;
            if (std::fabs(tracked - carried.beat) <= kTempoStep * carried.beat) {
                fitted.back() = {begin, carried};
                continue;
            }
        }
        double period = likeliestPeriod(flux, begin, end, tracked);
        Line own = combFit(flux, begin, end, period);
        if (!fitted.empty()) {
            double change = changeTime(flux, own, begin, fitted.back().second, end);
            fitted.back().first = change;
            fitted.back().second.start = change;
            own = combFit(flux, begin, change, period);
        }
        fitted.emplace_back(begin, own);
    }
    std::vector<TempoChange> tempo;
    for (auto it = fitted.rbegin(); it != fitted.rend(); ++it)
        tempo.push_back(
            {it->second.start, std::round(60 / it->second.beat * 100) / 100, beatsPerBar, 4});
    return tempo;
}

CueSheet detectCueSheet(const std::vector<float>& mono, int beatsPerBar) {
    aubio_tempo_t* tracker = new_aubio_tempo("default", kWindow, kHop, kDetectionRate);
    aubio_onset_t* onsets = new_aubio_onset("default", kWindow, kHop, kDetectionRate);
    fvec_t* input = new_fvec(kHop);
    fvec_t* output = new_fvec(1);
    std::vector<double> beats;
    std::vector<std::pair<double, double>> heard; // time, strength
    for (size_t at = 0; at + kHop <= mono.size(); at += kHop) {
        for (unsigned n = 0; n < kHop; ++n)
            fvec_set_sample(input, mono[at + n], n);
        aubio_tempo_do(tracker, input, output);
        if (fvec_get_sample(output, 0) > 0)
            beats.push_back(aubio_tempo_get_last_s(tracker));
        aubio_onset_do(onsets, input, output);
        if (fvec_get_sample(output, 0) > 0)
            heard.emplace_back(aubio_onset_get_last_s(onsets), aubio_onset_get_descriptor(onsets));
    }
    del_fvec(output);
    del_fvec(input);
    del_aubio_onset(onsets);
    del_aubio_tempo(tracker);

    CueSheet sheet;
    sheet.length = double(mono.size()) / kDetectionRate;
    sheet.tempo = fitTempoMap(beats, Flux(mono), sheet.length, beatsPerBar);
    if (sheet.tempo.empty())
        sheet.tempo.push_back({0, 120, beatsPerBar, 4});
    std::vector<double> strengths;
    for (const auto& onset : heard)
        strengths.push_back(onset.second);
    double typical = median(strengths);
    for (const auto& [seconds, strength] : heard)
        sheet.cues.push_back({seconds, strength > typical ? CueKind::strong : CueKind::weak});
    return sheet;
}

std::string decodeMono(const std::string& path, std::vector<float>* mono) {
    sound::Mp3Decoder decoder;
    int error = decoder.open(path.c_str(), kDetectionRate);
    if (error == sound::kFileNotFound)
        return "no such file";
    if (error != sound::kOk)
        return error == sound::kUnknownFormat ? "not an MP3 stream" : "cannot be read";
    std::vector<int16_t> block(4096 * sound::kOutputChannels);
    while (int frames = decoder.read(block.data(), 4096))
        for (int n = 0; n < frames; ++n)
            mono->push_back((block[2 * n] + block[2 * n + 1]) / 65536.0f);
    return "";
}

Comparison compareSheets(const CueSheet& detected, const CueSheet& reference) {
    Comparison result;
    BeatGrid found(detected.tempo), truth(reference.tempo);
    double from = std::max(detected.tempo.front().seconds, reference.tempo.front().seconds);
    std::vector<double> errors;
    for (const BeatGrid::Line& beat : truth.beatLines(from, reference.length)) {
        double error = std::fabs(found.nearest(beat.seconds, 1).seconds - beat.seconds);
        errors.push_back(error * 1000);
        result.beatsWithin10Ms += error <= 0.010;
    }
    result.referenceBeats = static_cast<int>(errors.size());
    result.medianErrorMs = median(errors);
    for (size_t i = 0; i < reference.tempo.size(); ++i) {
        const TempoChange& change = reference.tempo[i];
        double end =
            i + 1 < reference.tempo.size() ? reference.tempo[i + 1].seconds : reference.length;
        double middle = (std::max(change.seconds, from) + end) / 2;
        auto heard =
            std::upper_bound(detected.tempo.begin(), detected.tempo.end(), middle,
                             [](double time, const TempoChange& c) { return time < c.seconds; });
        double bpm =
            heard == detected.tempo.begin() ? detected.tempo.front().bpm : std::prev(heard)->bpm;
        result.worstTempoError = std::max(result.worstTempoError, std::fabs(bpm - change.bpm));
        char line[96];
        std::snprintf(line, sizeof line, "%g BPM from %s: detected %.2f", change.bpm,
                      clockTime(change.seconds).c_str(), bpm);
        result.tempoLines.push_back(line);
    }
    return result;
}

} // namespace cues
