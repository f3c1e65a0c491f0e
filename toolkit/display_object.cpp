// DisplayObject: the small defaults of the 27 operations.
#include "toolkit/display_object.h"

namespace vareko {

DisplayObject::~DisplayObject() = default;

HRESULT DisplayObject::Initialize() { return S_OK; }

void DisplayObject::Shutdown() {}

void DisplayObject::SetOrigin(int x, int y) { SetOrigin(POINT{x, y}); }

void DisplayObject::SetOrigin(POINT newOrigin) { origin = newOrigin; }

const POINT* DisplayObject::GetOrigin() const { return &origin; }

void DisplayObject::SetSize(int cx, int cy) { SetSize(SIZE{cx, cy}); }

void DisplayObject::SetSize(const SIZE& newSize) {
    size = newSize;
    SetExtent(size);
}

const SIZE* DisplayObject::GetSize() const { return &size; }

int DisplayObject::GetWidth() const { return GetSize()->cx; }

int DisplayObject::GetHeight() const { return GetSize()->cy; }

void DisplayObject::SetVisible(BOOL isVisible) { visible = isVisible; }

BOOL DisplayObject::IsVisible() const { return visible; }

void DisplayObject::SetInverted(BOOL isInverted) { inverted = isInverted; }

void DisplayObject::Restart() {}

void DisplayObject::SetOffset(int x, int y) { offset = POINT{x, y}; }

void DisplayObject::SetOffset(const POINT& newOffset) { offset = newOffset; }

const POINT* DisplayObject::GetOffset() const { return &offset; }

void DisplayObject::SetExtent(int cx, int cy) { extent = SIZE{cx, cy}; }

void DisplayObject::SetExtent(const SIZE& newExtent) { extent = newExtent; }

const SIZE* DisplayObject::GetExtent() const { return &extent; }

void DisplayObject::SetBackgroundMode(int mode) { backgroundMode = mode; }

int DisplayObject::GetBackgroundMode() const { return backgroundMode; }

int DisplayObject::GetObjectType() const { return objectType; }

void DisplayObject::SetObjectType(int type) { objectType = type; }

void DisplayObject::Tick(DWORD /*now*/) {}

}  // namespace vareko
