// The workloads come from a fixed linear congruential generator, so every
// run and both engines get the same shapes.
#include "bench/raster/shapes.h"

#include <cstddef>
#include <cstdint>

namespace vareko::bench {
namespace {

class ShapeRandom {
public:
    // A value in [0, limit).
    int Next(int limit) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(limit));
    }

private:
    std::uint32_t state = 12345;
};

}  // namespace

const std::array<Box, 32>& FillBoxes() {
    static const std::array<Box, 32> boxes = [] {
        std::array<Box, 32> out{};
        ShapeRandom random;
        for (Box& box : out) {
            const int x = random.Next(kTargetWidth);
            const int y = random.Next(kTargetHeight);
            box = {x, y, 1 + random.Next(kTargetWidth / 2), 1 + random.Next(kTargetHeight)};
        }
        return out;
    }();
    return boxes;
}

const std::array<Segment, 64>& LineSegments() {
    static const std::array<Segment, 64> lines = [] {
        std::array<Segment, 64> out{};
        ShapeRandom random;
        for (std::size_t i = 0; i < out.size(); ++i) {
            const int x = random.Next(kTargetWidth + 20) - 10;
            const int y = random.Next(kTargetHeight + 10) - 5;
            switch (i % 3) {
                case 0:
                    out[i] = {x, y, x + 1 + random.Next(kTargetWidth), y};
                    break;
                case 1:
                    out[i] = {x, y, x, y + 1 + random.Next(kTargetHeight)};
                    break;
                default:
                    out[i] = {x, y, random.Next(kTargetWidth + 20) - 10,
                              random.Next(kTargetHeight + 10) - 5};
                    break;
            }
        }
        return out;
    }();
    return lines;
}

}  // namespace vareko::bench
