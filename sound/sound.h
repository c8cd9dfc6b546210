// The sound layer the demo's lifecycle calls: MP3 stream playback and the music clock.
// A C-style interface (one output, streams by handle); implemented on libmpg123 and libpulse.
#pragma once

#include <cstdint>

struct FSOUND_STREAM; // an opened MP3 stream; create with FSOUND_Stream_Open

// The layer's version; the demo refuses anything below 3.7.
float FSOUND_GetVersion();
// Opens the output at `mixrate` Hz: the sound server, or where none answers a silent output
// that keeps real time (saying so in one line on standard error). Returns once the server
// plays, which an idle server can take two seconds to do. `maxSoftwareChannels` bounds the
// channel numbers that FSOUND_Stream_Play accepts; `flags` are accepted and ignored. Non-zero
// on success.
signed char FSOUND_Init(int mixrate, int maxSoftwareChannels, unsigned int flags);
// Opens an MP3 file for streaming. `mode` is accepted and ignored; `offset` and `length`
// must be 0 (whole file). Null on failure, with the reason in FSOUND_GetError.
FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int mode, int offset, int length);
// The code of the last failure (a sound::Error), 0..18; success does not clear it.
int FSOUND_GetError();
// Starts `stream` on `channel` (-1 picks one); returns the channel, or -1 on failure.
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
// Makes `ms` the stream's position: the clock shows it at once and holds it until its sound is
// heard, then moves on with it. Past the end plays silence.
signed char FSOUND_Stream_SetTime(FSOUND_STREAM* stream, int ms);
// Milliseconds of the stream being heard now: held at the start or seek position until its
// sound is heard, never decreasing between SetTime calls, still rising after the music ends, on
// real time (with a line on standard error) while the sound server is gone, and with the server
// again (another line) once it is back. INT_MAX from 24.8 days on: sound::streamTimeMs goes on.
int FSOUND_Stream_GetTime(FSOUND_STREAM* stream);
// Pauses (non-zero) or resumes the stream playing on `channel`, with a 5 ms fade either way; the
// clock stands on the last music heard until the music is heard again. Non-zero on success.
signed char FSOUND_SetPaused(int channel, signed char paused);
// Stops the stream if it plays and frees it.
signed char FSOUND_Stream_Close(FSOUND_STREAM* stream);
// Closes the output, and any stream still open.
void FSOUND_Close();

namespace sound {

// FSOUND_Stream_GetTime's position in 64-bit milliseconds.
int64_t streamTimeMs(FSOUND_STREAM* stream);

// How the demo and the tools that play its music open the sound: FSOUND_Init(kMixRate,
// kSoftwareChannels, kInitFlags), then FSOUND_Stream_Open(file, kStreamMode, 0, 0). The flags
// and the mode are accepted and ignored by this layer.
constexpr int kMixRate = 44100;
constexpr int kSoftwareChannels = 32;
constexpr unsigned int kInitFlags = 2;
constexpr unsigned int kStreamMode = 0x20000;

// Failure codes returned through FSOUND_GetError; the host owns their texts.
enum Error : int {
    kOk = 0,
    kAlreadyInitialised = 1,
    kNotInitialised = 2,
    kOutputInitFailed = 3,
    kPlayFailed = 5,
    kFileNotFound = 9,
    kUnknownFormat = 10,
    kFileLoadFailed = 11,
    kOutOfMemory = 12,
    kInvalidParameter = 14,
    kNoFreeChannel = 16,
};

} // namespace sound
