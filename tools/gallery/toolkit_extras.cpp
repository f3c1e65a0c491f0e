// The gallery's toolkit-only objects.
#include "tools/gallery/toolkit_extras.h"

#include <new>

#include "toolkit/animated_bitmap_object.h"
#include "toolkit/bitmap_object.h"
#include "toolkit/scrolling_text_object.h"

namespace vareko::gallery {

void AddToolkitExtras(ManagerPage& page, const SceneHandles& handles,
                      const GalleryPictures& pictures) {
    for (ObjectHandle frame : handles.propeller) {
        page.SetObjectVisible(frame, FALSE);
    }
    page.SetObjectVisible(handles.logo, FALSE);
    page.SetObjectVisible(handles.clock, FALSE);

    if (auto* propeller = new (std::nothrow) AnimatedBitmapObject()) {
        propeller->Initialize();
        propeller->SetBitmap(pictures.PropellerStrip());
        propeller->SetFrameWidth(kPictureSide);
        propeller->SetSize(kPictureSide, kPictureSide);
        propeller->SetOrigin(kPropellerAt);
        page.AddObject(propeller);
    }
    if (auto* logo = new (std::nothrow) BitmapObject()) {
        logo->Initialize();
        logo->SetBitmap(pictures.Logo());
        logo->SetSize(kLogoWidth, kPictureSide);
        logo->SetOrigin(kLogoAt);
        page.AddObject(logo);
    }
    if (auto* scroller = new (std::nothrow) ScrollingTextObject()) {
        scroller->Initialize();
        scroller->SetPointSize(7);
        scroller->SetText(L"Scrolling text");
        scroller->SetSize(kClockWidth, 12);
        scroller->SetOffset(0, -3);
        scroller->SetOrigin(kClockAt);
        page.AddObject(scroller);
    }
}

}  // namespace vareko::gallery
