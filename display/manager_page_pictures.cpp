// The manager page's icon, progress-bar and bitmap operations: creation in
// the house set-up, and setters that act only on objects of their kind.
#include <new>

#include "display/manager_page.h"
#include "toolkit/bitmap_object.h"
#include "toolkit/icon_object.h"
#include "toolkit/progress_bar_object.h"

namespace vareko {

namespace {

constexpr int kProgressBarHeight = 5;

// The page numbers the bar styles its own way: 0 cursor, 1 bar, 2 cursor
// with trail, anything else bar.
ProgressStyle BarStyleFor(int pageStyle) {
    switch (pageStyle) {
        case 0:
            return ProgressStyle::Cursor;
        case 2:
            return ProgressStyle::CursorWithTrail;
        default:
            return ProgressStyle::Bar;
    }
}

// The object at handle if it carries tag and is of class T, else null.
template <class T>
T* Tagged(DisplayObject* object, int tag) {
    return object != nullptr && object->GetObjectType() == tag ? dynamic_cast<T*>(object) : nullptr;
}

}  // namespace

ObjectHandle ManagerPage::CreateIconObject(HICON icon, int iconWidth, int iconHeight) {
    auto* object = new (std::nothrow) IconObject();
    if (object == nullptr) {
        return nullptr;
    }
    object->Initialize();
    object->SetOrigin(0, 0);
    object->SetSize(iconWidth, iconHeight);
    object->SetIcon(icon, iconWidth, iconHeight);
    object->SetObjectType(kIconTag);
    return Adopt(object);
}

ObjectHandle ManagerPage::CreateProgressBar(int style) {
    auto* bar = new (std::nothrow) ProgressBarObject();
    if (bar == nullptr) {
        return nullptr;
    }
    bar->Initialize();
    bar->SetOrigin(0, 0);
    bar->SetSize(width, kProgressBarHeight);
    bar->SetRange(0, 100);
    bar->SetPosition(0.0f);
    bar->SetObjectType(kProgressBarTag);
    bar->SetStyle(static_cast<int>(BarStyleFor(style)));
    return Adopt(bar);
}

HRESULT ManagerPage::SetProgressPosition(ObjectHandle handle, float position) {
    auto* bar = Tagged<ProgressBarObject>(FindObject(handle), kProgressBarTag);
    if (bar == nullptr) {
        return E_FAIL;
    }
    bar->SetPosition(position);
    return S_OK;
}

HRESULT ManagerPage::SetProgressSize(ObjectHandle handle, int barWidth, int barHeight) {
    auto* bar = Tagged<ProgressBarObject>(FindObject(handle), kProgressBarTag);
    if (bar == nullptr) {
        return E_FAIL;
    }
    bar->SetSize(barWidth, barHeight);
    return S_OK;
}

ObjectHandle ManagerPage::CreateBitmapObject() {
    auto* object = new (std::nothrow) BitmapObject();
    if (object == nullptr) {
        return nullptr;
    }
    object->Initialize();
    object->SetOrigin(0, 0);
    return Adopt(object);
}

HRESULT ManagerPage::SetObjectBitmap(ObjectHandle handle, HBITMAP bitmap) {
    if (bitmap == nullptr) {
        return E_FAIL;
    }
    DisplayObject* object = FindObject(handle);
    if (object == nullptr) {
        return S_OK;  // a handle that is not on the page changes nothing
    }
    // Only a bitmap object may take a bitmap: anything else would be written
    // through the wrong class.
    auto* target = Tagged<BitmapObject>(object, kOtherObjectTag);
    if (target == nullptr) {
        return E_FAIL;
    }
    target->SetBitmap(bitmap);
    return S_OK;
}

}  // namespace vareko
