// The handle table of the graphics layer: every pen, brush, bitmap, region,
// font and device context is a GdiObject registered under a handle, and every
// entry point finds its objects through a type-checked lookup. Internal to
// platform/: the text layer derives its font class from GdiObject.
// Single-threaded by design, like the update cycle that uses it.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/gdi/gdi_types.h"

namespace vareko::gdi {

// Values of the GDI kinds equal the platform's OBJ_* codes; icons are not GDI
// objects on the platform (GetObjectType reports 0 for them).
enum class ObjectKind : DWORD {
    Pen = OBJ_PEN,
    Brush = OBJ_BRUSH,
    Font = OBJ_FONT,
    Bitmap = OBJ_BITMAP,
    Region = OBJ_REGION,
    MemoryDc = OBJ_MEMDC,
    Icon = 0x100,
};

class GdiObject {
public:
    explicit GdiObject(ObjectKind kind) : kind_(kind) {}
    virtual ~GdiObject() = default;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    ObjectKind Kind() const { return kind_; }
    HGDIOBJ Handle() const { return handle_; }
    bool IsStock() const { return stock_; }
    bool IsSelected() const { return selectCount_ > 0; }

    // GetObjectW: with a null buffer, the size of the description; otherwise
    // writes it into buffer (size bytes available) and returns the bytes
    // written, or 0 when the buffer is too small or the kind has none.
    virtual int Describe(int size, void* buffer) const;

private:
    friend class ObjectTable;
    ObjectKind kind_;
    HGDIOBJ handle_ = nullptr;
    bool stock_ = false;
    int selectCount_ = 0;  // number of DCs holding the object selected
    bool deletePending_ = false;
};

// Takes ownership and returns the new handle (null if the table is full).
HGDIOBJ RegisterObject(std::unique_ptr<GdiObject> object);
// Like RegisterObject, for objects that live as long as the process and that
// DeleteObject leaves alone.
HGDIOBJ RegisterStockObject(std::unique_ptr<GdiObject> object);

// The object behind a handle, or null for a null, stale or foreign handle.
GdiObject* LookupObject(HGDIOBJ handle);

template <class T>
T* LookupObject(HGDIOBJ handle) {
    GdiObject* object = LookupObject(handle);
    return object != nullptr && object->Kind() == T::kKind ? static_cast<T*>(object) : nullptr;
}

// Frees the object behind the handle; one that is still selected into a DC
// is freed when the last DC lets go of it. Stock objects stay. Returns false
// for an unknown handle.
bool DestroyObject(HGDIOBJ handle);

// Selection bookkeeping for DCs: an object is never freed while selected.
void RetainSelection(GdiObject& object);
void ReleaseSelection(GdiObject& object);

// Number of live objects that are not stock objects (DCs included), for
// leak checks.
std::size_t LiveObjectCount();

}  // namespace vareko::gdi
