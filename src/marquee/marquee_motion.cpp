#include "marquee/marquee_motion.h"

#include <algorithm>
#include <cstdlib>

namespace pavlune {

namespace {

constexpr int kPixelsPerSecondPerStep = 40;
constexpr int kMouseSlack = 4;
// Steps of the golden ratio (in per mille) spread the passes evenly over
// the height without a visible pattern.
constexpr std::int64_t kGoldenStep = 618;

}  // namespace

int PixelsPerSecond(int speed, int scalePerMille) {
    return std::max(1, speed * kPixelsPerSecondPerStep * scalePerMille / 1000);
}

MarqueeFrame FrameAt(std::uint32_t elapsedMs, int pixelsPerSecond, int areaWidth, int textWidth) {
    const std::int64_t travelled = static_cast<std::int64_t>(elapsedMs) * pixelsPerSecond / 1000;
    const std::int64_t cycle = std::max<std::int64_t>(1, static_cast<std::int64_t>(areaWidth) + textWidth);
    return {static_cast<int>(areaWidth - travelled % cycle), travelled / cycle};
}

int LineTop(std::int64_t pass, int areaHeight, int lineHeight) {
    const int room = areaHeight - lineHeight;
    if (room <= 0) return room / 2;
    const std::int64_t perMille = (pass * kGoldenStep + 500) % 1000;
    return static_cast<int>(room * perMille / 1000);
}

bool IsRealMouseMove(int firstX, int firstY, int x, int y) {
    return std::abs(x - firstX) > kMouseSlack || std::abs(y - firstY) > kMouseSlack;
}

}  // namespace pavlune
