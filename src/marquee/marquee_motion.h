// How the message saver moves its text: from the right edge to the left at
// a steady speed, one pass after another, each pass on another line of the
// screen so that nothing burns in. Positions are worked out from the time
// since the start, so a late timer tick never slows the text down.
#pragma once

#include <cstdint>

namespace pavlune {

// Where the text's left edge is at a moment, and which pass that is (0 for
// the first).
struct MarqueeFrame {
    int Left = 0;
    std::int64_t Pass = 0;
};

// Pixels per second at a speed of 1 to 20 on the full screen; a preview
// scales it with its size (scale in per mille).
int PixelsPerSecond(int speed, int scalePerMille = 1000);

// The frame after elapsedMs: each pass starts with the text just beyond the
// right edge of an area areaWidth wide and ends when the text, textWidth
// wide, has left it on the left.
MarqueeFrame FrameAt(std::uint32_t elapsedMs, int pixelsPerSecond, int areaWidth, int textWidth);

// The top of the text's line in a pass: the middle for the first pass, then
// spread over the whole height. A line taller than the area is centred.
int LineTop(std::int64_t pass, int areaHeight, int lineHeight);

// A full-screen saver is told of the mouse where it stands when the saver
// starts, and a desk shakes a little: only a move beyond a few pixels from
// that first place means the user is back.
bool IsRealMouseMove(int firstX, int firstY, int x, int y);

}  // namespace pavlune
