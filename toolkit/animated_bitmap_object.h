// AnimatedBitmapObject: a bitmap holding equal frames side by side, shown one
// frame at a time and stepped on by whole frame periods of the tick count.
// Depends on BitmapObject and the platform's tick count.
#pragma once

#include "toolkit/bitmap_object.h"

namespace vareko {

class AnimatedBitmapObject : public BitmapObject {
  public:
    AnimatedBitmapObject() = default;
    ~AnimatedBitmapObject() override;

    // Period 250 ms, clock started now; always 0.
    HRESULT Initialize() override;
    // Back to frame 0, period restarted now.
    void Restart() override;
    // Copies the current frame, then moves on by the whole periods elapsed.
    void Draw(GraphicsSurface& surface) override;
    void Tick(DWORD now) override;

    // Counts the whole frames of the bitmap set now and makes the whole
    // bitmap the extent; 0 frames for no bitmap, width 0 or width beyond it.
    void SetFrameWidth(DWORD width);
    // 0 is taken as 1 ms.
    void SetFramePeriod(DWORD milliseconds);

    DWORD GetCurrentFrame() const { return currentFrame; }
    DWORD GetFrameCount() const { return frameCount; }

  protected:
    DWORD elapsed = 0;        // ms since frameStart, as of the last Tick
    DWORD framePeriod = 250;  // ms per frame; never 0
    DWORD frameStart = 0;     // tick count at which the current frame began
    DWORD frameWidth = 0;     // pixels
    DWORD currentFrame = 0;
    DWORD frameCount = 0;
};

}  // namespace vareko
