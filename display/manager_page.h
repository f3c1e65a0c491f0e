// ManagerPage: the page kind that the display manager creates. It makes
// display objects of a few fixed kinds in fixed house styles, owns them, lets
// callers address them by ObjectHandle alone, and passes the device's
// soft-button notifications on to its owner.
// Depends on the toolkit's page and object classes.
#pragma once

#include "display/button_sink.h"
#include "display/size_class_style.h"
#include "toolkit/page_base.h"

namespace vareko {

// The address of an object that a page created, as an opaque value; valid on
// that page while it lives. Null names no object.
struct ObjectHandleTag;
using ObjectHandle = ObjectHandleTag*;

// Kinds of text object. Any other value creates nothing.
enum class TextKind : int { Streaming = 0, Static = 1 };

// The objectType tags that a manager page gives the objects it creates.
enum ObjectTag : int {
    kStreamingTextTag = 0,
    kStaticTextTag = 1,
    kIconTag = 2,
    kProgressBarTag = 3,
    kOtherObjectTag = 4,
};

class ManagerPage : public PageBase {
public:
    ManagerPage(ButtonSink* pageOwner, int pageWidth, int pageHeight);
    // Deletes every object the page created, in creation order.
    ~ManagerPage() override;
    ManagerPage(const ManagerPage&) = delete;
    ManagerPage& operator=(const ManagerPage&) = delete;

    void OnButtonDown(DWORD button) override;
    void OnButtonUp(DWORD button) override;

    // The page's child at `handle`, or null.
    DisplayObject* FindObject(ObjectHandle handle);

    ObjectHandle CreateTextObject(TextKind kind, SizeClass sizeClass, UINT alignment, int boxWidth,
                                  int lines = 1);
    HRESULT SetObjectText(ObjectHandle handle, const wchar_t* text);
    HRESULT SetObjectOrigin(ObjectHandle handle, int x, int y);
    HRESULT SetObjectVisible(ObjectHandle handle, BOOL show);

    // Icons, progress bars and bitmaps (manager_page_pictures.cpp). Progress
    // styles as the page numbers them: 0 cursor, 1 bar, 2 cursor with trail,
    // anything else bar. The setters act only on objects of their own kind:
    // E_FAIL for another kind; SetObjectBitmap gives E_FAIL for a null bitmap
    // and 0 for a handle that is not on the page.
    ObjectHandle CreateIconObject(HICON icon, int iconWidth, int iconHeight);
    ObjectHandle CreateProgressBar(int style);
    HRESULT SetProgressPosition(ObjectHandle handle, float position);
    HRESULT SetProgressSize(ObjectHandle handle, int barWidth, int barHeight);
    ObjectHandle CreateBitmapObject();
    HRESULT SetObjectBitmap(ObjectHandle handle, HBITMAP bitmap);

private:
    ObjectHandle CreateStaticText(SizeClass sizeClass, UINT alignment, int boxWidth, int lines);
    ObjectHandle CreateStreamingText(SizeClass sizeClass, UINT alignment, int boxWidth);
    ObjectHandle Adopt(DisplayObject* object);

    ButtonSink* owner;
    int width;
    int height;
};

}  // namespace vareko
