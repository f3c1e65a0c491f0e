// ObjectCollection: a display object holding an ordered list of children
// that it draws one after the other, each clipped to its own box and moved
// to its origin plus content offset. The list does not own its children.
// Depends on DisplayObject and GraphicsSurface.
#pragma once

#include <list>

#include "toolkit/display_object.h"

namespace vareko {

class ObjectCollection : public DisplayObject {
public:
    ObjectCollection() = default;
    ~ObjectCollection() override;

    void SetVisible(BOOL isVisible) override;
    void Restart() override;
    void Draw(GraphicsSurface& surface) override;
    void Tick(DWORD now) override;

    // Appends object (the same pointer may be added twice); returns 1. A
    // null object is refused with 0.
    int AddObject(DisplayObject* object);
    // Removes the first entry equal to object, if any; returns 0.
    int RemoveObject(DisplayObject* object);

protected:
    std::list<DisplayObject*> children;

private:
    // One region for the clip of every child, made at the first Draw and
    // reshaped per child: a frame then makes no region objects at all.
    HRGN childClip = nullptr;
};

}  // namespace vareko
