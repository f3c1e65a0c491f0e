// ProgressBarObject: a value inside an integer range shown as a white framed
// bar on black, as a cursor block sliding in the frame, or as the cursor with
// a dotted trail from the left edge. Depends on DisplayObject and the
// platform's brushes, pens and rectangle calls.
#pragma once

#include "toolkit/display_object.h"

namespace vareko {

enum class ProgressStyle : int {
    Bar = 0,
    Cursor = 1,
    CursorWithTrail = 2,
    FrameOnly = 3,
};

// Maps value in [a, b] onto the pixel interval [c, d] in single precision:
// ((v - a) / (b - a)) * (d - c) + c, truncated toward zero. Equal bounds map
// to c, and results beyond the int range saturate.
int MapToPixels(float value, int a, int b, int c, int d);

class ProgressBarObject : public DisplayObject {
  public:
    ProgressBarObject() = default;
    ~ProgressBarObject() override;

    // Takes the stock white brush and creates the dotted pen; always 0.
    HRESULT Initialize() override;
    void Restart() override;
    void Draw(GraphicsSurface& surface) override;

    // Any pair is taken as it is: the mapping runs from minimum at the left
    // to maximum at the right, so a reversed pair fills from the right, and
    // equal bounds draw every position at the start. The stored position
    // is clamped again only by the next SetPosition.
    virtual void SetRange(const int newRange[2]);
    virtual void SetRange(int minimum, int maximum);
    // The pair (minimum, maximum).
    virtual const int* GetRange() const;
    // Clamps value into the range and returns what was stored: at most the
    // maximum, then at least the minimum, so a reversed range always stores
    // its minimum; a value that is not a number stores the maximum.
    virtual float SetPosition(float value);
    virtual float GetPosition() const;
    // Cursor when on, else Bar.
    virtual void SetCursorStyle(BOOL on);
    // A ProgressStyle value; any other value selects FrameOnly.
    virtual void SetStyle(int newStyle);
    int GetStyle() const { return style; }

  protected:
    int range[2] = {0, 100};  // minimum, maximum; not kept in order
    float position = 0.0f;
    int style = static_cast<int>(ProgressStyle::Cursor);
    HBRUSH brush = nullptr;  // the platform's stock brush, not owned
    HPEN dotPen = nullptr;   // owned; stays null if it could not be created
    int cursorWidth = 5;
};

}  // namespace vareko
