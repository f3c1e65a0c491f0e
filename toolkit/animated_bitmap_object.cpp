// AnimatedBitmapObject: frame counting, timing and the copy of one frame.
#include "toolkit/animated_bitmap_object.h"

#include <cstdint>

namespace vareko {

AnimatedBitmapObject::~AnimatedBitmapObject() = default;

HRESULT AnimatedBitmapObject::Initialize() {
    framePeriod = 250;
    elapsed = 0;
    frameStart = GetTickCount();
    return BitmapObject::Initialize();
}

void AnimatedBitmapObject::Restart() {
    currentFrame = 0;
    frameStart = GetTickCount();
}

void AnimatedBitmapObject::Tick(DWORD now) {
    elapsed = now - frameStart;
}

void AnimatedBitmapObject::SetFrameWidth(DWORD width) {
    frameWidth = width;
    BITMAP record{};
    if (bitmap == nullptr || width == 0 || GetObjectW(bitmap, sizeof record, &record) == 0) {
        frameCount = 0;
        return;
    }
    frameCount = static_cast<DWORD>(record.bmWidth) / width;
    SetExtent(record.bmWidth, record.bmHeight);
}

void AnimatedBitmapObject::SetFramePeriod(DWORD milliseconds) {
    framePeriod = milliseconds == 0 ? 1 : milliseconds;
}

void AnimatedBitmapObject::Draw(GraphicsSurface& surface) {
    if (frameCount == 0) {
        return;
    }
    // The frame current when the draw began is the one shown.
    DWORD column = currentFrame * frameWidth;
    DWORD steps = elapsed / framePeriod;
    if (steps >= 1) {
        // In 64 bits: a long pause may give more steps than fit beside the frame.
        currentFrame = static_cast<DWORD>((std::uint64_t{currentFrame} + steps) % frameCount);
        elapsed %= framePeriod;
        frameStart = GetTickCount();
    }
    if (bitmap != nullptr) {
        CopyBitmap(surface, POINT{static_cast<LONG>(column), 0});
    }
}

}  // namespace vareko
