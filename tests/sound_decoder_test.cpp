// MP3 decoding: every accepted form comes out as stereo at the output rate, and seeks are exact.
// (Files that cannot be played are covered through FSOUND_Stream_Open.)
#include "sound/mp3_decoder.h"
#include "sound/sound.h"
#include "tests/process_runner.h"
#include "tests/sound_test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>
#include <vector>

using sound::Mp3Decoder;

namespace {

constexpr int kRate = 44100;

std::vector<int16_t> decodeAll(Mp3Decoder& decoder) {
    std::vector<int16_t> samples;
    std::vector<int16_t> buffer(1000 * sound::kOutputChannels);
    int frames = 0;
    while ((frames = decoder.read(buffer.data(), 1000)) > 0)
        samples.insert(samples.end(), buffer.begin(), buffer.begin() + frames * 2);
    return samples;
}

// Cycles per second of the left channel, from its rising zero crossings.
double leftFrequency(const std::vector<int16_t>& samples) {
    int rises = 0;
    for (size_t i = 2; i < samples.size(); i += 2)
        rises += samples[i - 2] < 0 && samples[i] >= 0;
    return rises / (samples.size() / 2.0 / kRate);
}

bool channelsEqual(const std::vector<int16_t>& samples) {
    for (size_t i = 0; i < samples.size(); i += 2) {
        if (samples[i] != samples[i + 1])
            return false;
    }
    return true;
}

} // namespace

TEST(Mp3Decoder, DecodesEveryAcceptedFormToStereoAtTheOutputRate) {
    struct Form {
        const char* name;
        int rate;
        int channels;
        bool variableBitrate;
        bool id3Tag;
    };
    const Form forms[] = {
        {"stereo-44k-cbr.mp3", 44100, 2, false, false},
        {"mono-22k-vbr.mp3", 22050, 1, true, false},
        {"stereo-48k-cbr-id3.mp3", 48000, 2, false, true},
        {"mono-44k-vbr-id3.mp3", 44100, 1, true, true},
    };
    SoundTestFiles files;
    for (const Form& form : forms) {
        SCOPED_TRACE(form.name);
        mp3tone::ToneOptions options;
        options.framesPerSecond = form.rate;
        options.channels = form.channels;
        options.variableBitrate = form.variableBitrate;
        options.id3Tag = form.id3Tag;
        std::string path = files.tone(form.name, options);
        ASSERT_FALSE(path.empty());

        Mp3Decoder decoder;
        ASSERT_EQ(decoder.open(path.c_str(), kRate), sound::kOk);
        std::vector<int16_t> samples = decodeAll(decoder);
        int64_t frames = static_cast<int64_t>(samples.size() / 2);
        EXPECT_NEAR(frames, kRate, kRate / 200) << "a one-second tone, give or take 5 ms";
        EXPECT_EQ(decoder.length(), frames);
        EXPECT_NEAR(leftFrequency(samples), 440, 3);
        if (form.channels == 1) {
            EXPECT_TRUE(channelsEqual(samples));
        }
    }
}

TEST(Mp3Decoder, SeekLandsOnTheSamplesThatDecodingThroughGives) {
    SoundTestFiles files;
    mp3tone::ToneOptions options;
    options.variableBitrate = true;
    options.frequency = 1234; // no whole number of cycles in a frame
    std::string path = files.tone("tone.mp3", options);
    Mp3Decoder whole;
    ASSERT_EQ(whole.open(path.c_str(), kRate), sound::kOk);
    std::vector<int16_t> reference = decodeAll(whole);

    Mp3Decoder seeking;
    ASSERT_EQ(seeking.open(path.c_str(), kRate), sound::kOk);
    for (int64_t frame : {30000, 777, 22050}) {
        ASSERT_TRUE(seeking.seek(frame));
        EXPECT_EQ(seeking.position(), frame);
        std::vector<int16_t> buffer(2 * 500);
        ASSERT_EQ(seeking.read(buffer.data(), 500), 500);
        int largestDifference = 0;
        for (size_t i = 0; i < buffer.size(); ++i) {
            largestDifference =
                std::max(largestDifference, std::abs(buffer[i] - reference[2 * frame + i]));
        }
        EXPECT_LE(largestDifference, 2) << "after a seek to frame " << frame;
    }
    ASSERT_TRUE(seeking.seek(seeking.length() + 5000));
    std::vector<int16_t> buffer(2 * 100);
    EXPECT_EQ(seeking.read(buffer.data(), 100), 0);
}

namespace {

TEST(Mp3Decoder, AnInfoFrameClaimingMoreFramesThanTheFileHoldsIsIgnored) {
    SoundTestFiles files;
    mp3tone::ToneOptions options;
    options.seconds = 0.5;
    std::string path = files.tone("tone.mp3", options);
    ASSERT_FALSE(path.empty());
    std::string bytes = readFile(path);
    const unsigned char* head = reinterpret_cast<const unsigned char*>(bytes.data());
    EXPECT_FALSE(sound::hasImplausibleInfoFrame(head, bytes.size(), int64_t(bytes.size())));

    // The encoder's Info frame: "Info", flags with the frame-count bit, then the count.
    size_t tag = bytes.find("Info");
    ASSERT_NE(tag, std::string::npos) << "the encoder writes an Info frame";
    ASSERT_TRUE(bytes[tag + 7] & 1);
    std::string bogus = bytes;
    bogus.replace(tag + 8, 4, std::string("\x30\x00\x00\x0a", 4));
    const unsigned char* bogusHead = reinterpret_cast<const unsigned char*>(bogus.data());
    EXPECT_TRUE(sound::hasImplausibleInfoFrame(bogusHead, bogus.size(), int64_t(bogus.size())));
    EXPECT_FALSE(sound::hasImplausibleInfoFrame(bogusHead, bogus.size(), int64_t(1) << 40));
    // Junk before the first frame, which libmpg123 skips, hides nothing.
    std::string junk = std::string(98, '\xaa') + bogus;
    const unsigned char* junkHead = reinterpret_cast<const unsigned char*>(junk.data());
    EXPECT_TRUE(sound::hasImplausibleInfoFrame(junkHead, junk.size(), int64_t(junk.size())));

    // The claim costs libmpg123 a long stall; ignored, the stream plays all it really holds.
    Mp3Decoder honest;
    ASSERT_EQ(honest.open(path.c_str(), kRate), sound::kOk);
    Mp3Decoder claimed;
    ASSERT_EQ(claimed.open(files.raw("bogus.mp3", bogus).c_str(), kRate), sound::kOk);
    size_t played = decodeAll(claimed).size() / 2;
    EXPECT_GE(played, size_t(honest.length()));
    EXPECT_LT(played, size_t(honest.length()) + 3 * 1152); // plus the encoder's delay and padding

    // Music past any soundtrack's size is refused before the whole file is scanned.
    ASSERT_EQ(truncate(path.c_str(), (off_t(512) << 20) + 1), 0); // sparse: nothing written
    EXPECT_EQ(Mp3Decoder().open(path.c_str(), kRate), sound::kFileLoadFailed);
}

// An ID3v2 header declaring `size` bytes of tag after it (sizes are 7 bits a byte).
std::string id3Header(size_t size) {
    return std::string("ID3\x03\x00\x00", 6) + char((size >> 21) & 0x7f) +
           char((size >> 14) & 0x7f) + char((size >> 7) & 0x7f) + char(size & 0x7f);
}

TEST(Mp3Decoder, TagsAndJunkAroundTheFramesChangeNoSample) {
    SoundTestFiles files;
    mp3tone::ToneOptions options;
    options.seconds = 0.5;
    std::string path = files.tone("tone.mp3", options);
    ASSERT_FALSE(path.empty());
    const std::string clean = readFile(path);
    Mp3Decoder reference;
    ASSERT_EQ(reference.open(path.c_str(), kRate), sound::kOk);
    const std::vector<int16_t> expected = decodeAll(reference);
    ASSERT_FALSE(expected.empty());

    // A tag whose body looks like frame headers, text junk before the first frame, and an
    // ID3v1 tag of garbage at the end: all are skipped, none of it is heard.
    std::string tagBody;
    for (int i = 0; i < 3000; ++i)
        tagBody += char(i % 3 ? 0xff : 0xfb);
    std::string junk(700, 'j');
    std::string tail = "TAG" + std::string(125, '\x9c');
    std::string tagged = id3Header(tagBody.size()) + tagBody + junk + clean + tail;

    Mp3Decoder decoder;
    ASSERT_EQ(decoder.open(files.raw("tagged.mp3", tagged).c_str(), kRate), sound::kOk);
    EXPECT_EQ(decoder.length(), reference.length());
    EXPECT_TRUE(decodeAll(decoder) == expected);

    // A tag that claims more than the whole file leaves no frame: a file cut short.
    std::string swallowing = id3Header(1 << 24) + clean;
    Mp3Decoder swallowed;
    EXPECT_EQ(swallowed.open(files.raw("swallowed.mp3", swallowing).c_str(), kRate),
              sound::kFileLoadFailed);
}

} // namespace
