// ScrollingTextObject: a text that, when it does not fit its box, waits for
// a start delay, scrolls left (one line) or up (word-wrapped) at a constant
// speed until its end meets the box's edge, pauses there, then starts again
// or stops. The movement is the content offset, which the collection applies.
// Depends on TextObject and the platform's tick count.
#pragma once

#include "toolkit/text_object.h"

namespace vareko {

enum class ScrollDirection : int {
    Horizontal = 0,
    Vertical = 1,
};

enum class ScrollState : int {
    Waiting = 0,
    Scrolling = 1,
    Pausing = 2,
    Finished = 3,
};

class ScrollingTextObject : public TextObject {
  public:
    ScrollingTextObject() = default;
    ~ScrollingTextObject() override;

    // Timing defaults, clock started now; then the text object's Initialize.
    HRESULT Initialize() override;
    // Back to Waiting with the text at its start; measured again at the next draw.
    void Restart() override;
    void Draw(GraphicsSurface& surface) override;
    void Tick(DWORD now) override;
    // A different text restarts the scrolling; the same text changes nothing.
    void SetText(const wchar_t* newText) override;

    void SetStartDelay(DWORD milliseconds);
    void SetEndDelay(DWORD milliseconds);
    // A negative speed is taken as 0: the text stands still.
    void SetSpeed(int pixelsPerSecond);
    // 0 horizontal, 1 vertical (word-wrapped); restarts. Any other value is
    // refused and changes nothing.
    void SetDirection(int newDirection);
    int GetDirection() const;
    BOOL IsFinished() const;
    void SetRepeat(BOOL on);

    int GetState() const { return state; }
    int GetMaxScroll() const { return maxScroll; }

  protected:
    DWORD elapsed = 0;        // ms since startTick, as of the last Tick
    DWORD startDelay = 1000;  // ms standing still before moving
    DWORD endDelay = 1000;    // ms standing at the end
    int speed = 20;           // pixels per second
    DWORD startTick = 0;
    BOOL repeat = TRUE;
    int maxScroll = -1;           // pixels to scroll; -1 until measured
    float scrollPosition = 0.0f;  // pixels scrolled, with the fraction
    int direction = static_cast<int>(ScrollDirection::Horizontal);
    int state = static_cast<int>(ScrollState::Waiting);

  private:
    void Measure();
    void Step();
};

}  // namespace vareko
