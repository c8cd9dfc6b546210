// The sound layer the demo's lifecycle calls: MP3 stream playback and the music clock.
// A C-style interface (one output, streams by handle); implemented on libmpg123 and SDL2 audio.
#pragma once

struct FSOUND_STREAM; // an opened MP3 stream; create with FSOUND_Stream_Open

// The layer's version; the demo refuses anything below 3.7.
float FSOUND_GetVersion();
// Opens the output at `mixrate` Hz. `maxSoftwareChannels` bounds the channel numbers that
// FSOUND_Stream_Play accepts; `flags` are accepted and ignored. Non-zero on success.
signed char FSOUND_Init(int mixrate, int maxSoftwareChannels, unsigned int flags);
// Opens an MP3 file for streaming. `mode` is accepted and ignored; `offset` and `length`
// must be 0 (whole file). Null on failure, with the reason in FSOUND_GetError.
FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int mode, int offset, int length);
// The code of the last failure (a sound::Error), 0..18; success does not clear it.
int FSOUND_GetError();
// Starts `stream` on `channel` (-1 picks one); returns the channel, or -1 on failure.
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
// Makes `ms` the stream's position now and moves the decoding there; past the end plays silence.
signed char FSOUND_Stream_SetTime(FSOUND_STREAM* stream, int ms);
// Milliseconds of the stream being heard now: smooth, never decreasing between SetTime calls,
// and still rising after the music ends.
int FSOUND_Stream_GetTime(FSOUND_STREAM* stream);
// Stops the stream if it plays and frees it.
signed char FSOUND_Stream_Close(FSOUND_STREAM* stream);
// Closes the output, and any stream still open.
void FSOUND_Close();

namespace sound {

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
