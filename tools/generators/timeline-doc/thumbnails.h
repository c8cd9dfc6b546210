// The scene pictures of docs/timeline.md: a captured 800 x 600 frame shrunk to 160 x 120,
// and a measure of how far two pictures differ, so that a driver's rounding does not count
// as a change but a scene drawn differently does.
#pragma once

#include <string>

constexpr int kThumbnailScale = 5; // 800 x 600 -> 160 x 120
// Pictures are compared in blocks of 8 x 8 pixels; up to this mean difference per channel
// (in steps of 255) in every block, two renders are the same.
constexpr int kCompareBlock = 8;
constexpr double kSamePicture = 8.0;

// Averages each 5 x 5 block of `from` into one pixel of `to`. "what failed: why" or empty.
std::string makeThumbnail(const std::string& from, const std::string& to);

// The largest mean absolute difference per channel (0 to 255) of any block, or a negative
// number when either picture cannot be read or their sizes differ.
double pictureDifference(const std::string& a, const std::string& b);
