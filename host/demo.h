// The demo lifecycle between the window and the timeline: sound start-up, scenes, the
// timeline, the per-frame step on the music clock, and the teardown.
#pragma once

#include "framework/script.h"
#include "sound/sound.h"

extern tarvo64k::Script script;
extern FSOUND_STREAM* music;

constexpr float kRequiredSoundVersion = 3.7f;

void initDemo(int argc, char** argv);
int drawDemo();
void stopDemo();
const char* FMOD_ErrorString(int errorCode);

// The parts of initDemo and drawDemo that need no sound, for the capture renderer:
// the cell-shading texture, every scene built and registered, the timeline read.
void buildDemo(const char* scriptFile);
// Clears the frame and runs the timeline at `time` seconds; 0 once the timeline has ended.
int drawDemoAt(float time);
// The music clock's milliseconds as timeline seconds, the one conversion used everywhere.
float musicSeconds(int milliseconds);
