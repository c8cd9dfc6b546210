// The demo lifecycle: initDemo, drawDemo and stopDemo over the demo player on the music
// clock, and the sound layer's error texts.
#include "host/demo.h"

#include "host/demo_player.h"

#include "framework/input_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

tarvo64k::Script script;
FSOUND_STREAM* music = nullptr;

namespace {

const char* const kSoundErrors[] = {
    "No errors",
    "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.",
    "This command failed because FSOUND_Init was not called",
    "Error initializing output device.",
    "The output device is already in use and cannot be reused.",
    "Playing the sound failed.",
    "Soundcard does not support the features needed for this soundsystem (16bit stereo output)",
    "Error setting cooperative level for hardware.",
    "Error creating hardware sound buffer.",
    "File not found",
    "Unknown file format",
    "Error loading file",
    "Not enough memory ",
    "The version number of this file format is not supported",
    "An invalid parameter was passed to this function",
    "Tried to use an EAX command on a non EAX enabled channel or output.",
    "Failed to allocate a new channel",
    "Recording not supported on this device",
    "Required Mediaplayer codec is not installed",
};

DemoPlayer player(script);

// The host puts the desktop's video mode back on any exit (it registers that at start-up).
[[noreturn]] void exitDemo() {
    std::fflush(stdout);
    std::exit(1);
}

[[noreturn]] void failSound() {
    std::printf("%s\n", FMOD_ErrorString(FSOUND_GetError()));
    exitDemo();
}

// The sound layer's text does not say which file; this line, on standard error, does.
[[noreturn]] void failMusic(const char* file) {
    int error = FSOUND_GetError();
    std::printf("%s\n", FMOD_ErrorString(error));
    std::fprintf(stderr, "%s: cannot open the music: %s\n", file,
                 error == sound::kFileNotFound    ? std::strerror(ENOENT)
                 : error == sound::kUnknownFormat ? "not an MP3 stream"
                                                  : "cannot read it");
    exitDemo();
}

// The demo would read nothing from a timeline it cannot read, and an empty timeline ends the
// demo at once, which would look like success.
std::string readTimelineOrExit(const char* file) {
    std::string text;
    if (int error = tarvo64k::readTimelineFile(file, &text)) {
        std::fprintf(stderr, "%s: cannot read the timeline: %s\n", file,
                     tarvo64k::inputErrorText(error));
        exitDemo();
    }
    return text;
}

} // namespace

const char* FMOD_ErrorString(int errorCode) {
    int count = static_cast<int>(sizeof kSoundErrors / sizeof kSoundErrors[0]);
    return errorCode >= 0 && errorCode < count ? kSoundErrors[errorCode] : "Unknown error";
}

void initDemo(int /*argc*/, char** /*argv*/) {
    char scriptFile[512] = "script.odml";

    if (FSOUND_GetVersion() < kRequiredSoundVersion) {
        std::printf(
            "Error : You are using the wrong DLL version!  You should be using FMOD %.02f\n",
            kRequiredSoundVersion);
        exitDemo();
    }
    // Before the sound starts, so nothing needs closing.
    const std::string timelineText = readTimelineOrExit(scriptFile);
    if (!FSOUND_Init(sound::kMixRate, sound::kSoftwareChannels, sound::kInitFlags))
        failSound();
    music = FSOUND_Stream_Open("music.mp3", sound::kStreamMode, 0, 0);
    if (!music)
        failMusic("music.mp3");

    player.build(timelineText);

    // Only now, with everything loaded, does the clock start at 0.
    FSOUND_Stream_Play(-1, music);
    FSOUND_Stream_SetTime(music, 0);
}

int drawDemo() {
    MusicTime clock(music);
    return player.drawFrame(clock) ? 1 : 0;
}

void stopDemo() {
    player.teardown();
    FSOUND_Stream_Close(music);
    FSOUND_Close();
}
