// StreamingTextObject: a text too wide for its box shown as an endless
// ticker. The row is made of TextObject segments (text, separator, text,
// separator) that the object creates, owns and deletes; they share its box
// and stand side by side through their content offsets. The row waits a
// start delay after each restart, then moves left in steps of at least
// minimumStep pixels; every segment that has left the box goes to the back
// in the same move, so a ticker that was not drawn for a while catches up in
// its first frame. A negative speed stands still. A text that fits stands
// still with the object's alignment. Children added through the base
// collection are no part of the row: the next draw or restart drops them
// from the list without deleting them.
// Depends on ObjectCollection, TextObject and the platform's tick count.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/object_collection.h"
#include "toolkit/owned_font.h"
#include "toolkit/text_object.h"

namespace vareko {

class StreamingTextObject : public ObjectCollection {
public:
    enum State : int { Waiting = 0, Streaming = 1 };

    StreamingTextObject();
    ~StreamingTextObject() override;

    HRESULT Initialize() override;
    void SetOrigin(int x, int y) override;
    void SetOrigin(POINT newOrigin) override;
    void SetVisible(BOOL isVisible) override;
    void Restart() override;
    void Draw(GraphicsSurface& surface) override;
    void Tick(DWORD now) override;

    void SetText(const wchar_t* newText);
    void SetSeparator(const wchar_t* newSeparator);
    void SetFaceName(const wchar_t* faceName);
    void SetPointSize(int points);
    void SetWeight(int weight);
    void SetFont(const LOGFONTW& logFont);
    HFONT GetFont() const;
    void SetAlignment(UINT flags);
    void SetStartDelay(DWORD ms);
    void SetSpeed(int pixelsPerSecond);
    void SetMinimumStep(DWORD pixels);

    // Appends a segment with the object's box, offset and font; returns its
    // index.
    int AddSegment(const wchar_t* segmentText);
    // Deletes the segment at that index; an index past the end does nothing.
    void RemoveSegment(int index);
    void ClearSegments();

    State GetState() const { return state; }
    // The row is built again at the next draw.
    BOOL IsLayoutDirty() const { return layoutDirty; }
    int SegmentCount() const { return static_cast<int>(children.size()); }
    // The segment at an index, or null (also for a child it did not make).
    const TextObject* Segment(int index) const;

private:
    // Children are segments only: nothing from outside may join the row.
    using ObjectCollection::AddObject;
    using ObjectCollection::RemoveObject;

    TextObject* First() const;
    bool Made(const DisplayObject* child) const;
    void DropForeignChildren();
    void BuildRow(GraphicsSurface& surface);
    void Advance();
    void Arrange();
    // Puts the segments side by side from `left`, in list order.
    void Place(std::int64_t left);
    // Moves the row `distance` pixels left and sends every segment that has
    // left the box to the back.
    void Shift(std::int64_t distance);

    DWORD elapsed = 0;
    DWORD startDelay = 2000;
    int speed = 7;
    DWORD minimumStep = 7;
    DWORD startTick = 0;
    State state = Waiting;
    BOOL layoutDirty = FALSE;
    TextObject* headSegment = nullptr;
    // The segments this object made and deletes; children may hold others.
    std::vector<TextObject*> madeSegments;
    std::wstring text;
    std::wstring separator = L"   ";
    OwnedFont font;
    UINT alignment = 0;
    float remainder = 0.0f;
};

}  // namespace vareko
