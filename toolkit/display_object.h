// DisplayObject: the abstract base of everything drawn on the display. It
// holds the shared placement record (box, origin, visibility, content offset
// and extent, background mode, type tag) and the 27 virtual operations, in
// this order, through which collections, pages and the display layer address
// any object. Subclasses append their own virtual operations after Tick.
// Depends on the platform types and GraphicsSurface.
#pragma once

#include "platform/win32.h"

namespace vareko {

class GraphicsSurface;

// Type tags of the objects that the display layer creates.
enum ObjectTypeTag : int {
    kStreamingTextType = 0,
    kTextType = 1,
    kIconType = 2,
    kProgressBarType = 3,
    kOtherObjectType = 4,
};

class DisplayObject {
public:
    DisplayObject() = default;
    DisplayObject(const DisplayObject&) = delete;
    DisplayObject& operator=(const DisplayObject&) = delete;

    virtual ~DisplayObject();                           // 1
    virtual HRESULT Initialize();                       // 2
    virtual void Shutdown();                            // 3
    virtual void SetOrigin(int x, int y);               // 4
    virtual void SetOrigin(POINT newOrigin);            // 5
    virtual const POINT* GetOrigin() const;             // 6
    virtual void SetSize(int cx, int cy);               // 7
    virtual void SetSize(const SIZE& newSize);          // 8
    virtual const SIZE* GetSize() const;                // 9
    virtual int GetWidth() const;                       // 10
    virtual int GetHeight() const;                      // 11
    virtual void SetVisible(BOOL isVisible);            // 12
    virtual BOOL IsVisible() const;                     // 13
    virtual void SetInverted(BOOL isInverted);          // 14
    virtual void Restart();                             // 15
    virtual void SetOffset(int x, int y);               // 16
    virtual void SetOffset(const POINT& newOffset);     // 17
    virtual const POINT* GetOffset() const;             // 18
    virtual void SetExtent(int cx, int cy);             // 19
    virtual void SetExtent(const SIZE& newExtent);      // 20
    virtual const SIZE* GetExtent() const;              // 21
    virtual void SetBackgroundMode(int mode);           // 22
    virtual int GetBackgroundMode() const;              // 23
    virtual int GetObjectType() const;                  // 24
    virtual void SetObjectType(int type);               // 25
    virtual void Draw(GraphicsSurface& surface) = 0;    // 26
    virtual void Tick(DWORD now);                       // 27

protected:
    SIZE size{0, 0};
    POINT origin{0, 0};
    BOOL visible = TRUE;
    BOOL inverted = FALSE;
    POINT offset{0, 0};
    SIZE extent{0, 0};
    int backgroundMode = TRANSPARENT;
    int objectType = kOtherObjectType;
};

}  // namespace vareko
