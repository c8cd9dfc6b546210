// The demo lifecycle between the window and the timeline: sound start-up, then the demo player
// on the music clock, and the teardown. Needs a current GL context, but no window system.
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
