// ObjectCollection: passing operations on to children and drawing them
// clipped to their boxes.
#include "toolkit/object_collection.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "toolkit/dc_state_guard.h"
#include "toolkit/graphics_surface.h"

namespace vareko {
namespace {

// The far edge of a box, saturated: an origin near the end of the int range
// plus the box's size must not overflow.
int SaturatedEdge(int origin, int size) {
    const std::int64_t edge = std::int64_t{origin} + size;
    return static_cast<int>(std::clamp<std::int64_t>(edge, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

}  // namespace

ObjectCollection::~ObjectCollection() {
    if (childClip != nullptr) DeleteObject(childClip);
}

void ObjectCollection::SetVisible(BOOL isVisible) {
    for (DisplayObject* child : children) {
        child->SetVisible(isVisible);
    }
    visible = isVisible;
}

void ObjectCollection::Restart() {
    for (DisplayObject* child : children) {
        child->Restart();
    }
}

void ObjectCollection::Draw(GraphicsSurface& surface) {
    HDC dc = surface.GetMemoryDC();
    for (DisplayObject* child : children) {
        if (!child->IsVisible()) {
            continue;
        }
        // The box, in surface pixels whatever viewport is in force. The DC
        // keeps its own copy of the clip, so the region is free for the next
        // child at once.
        POINT boxOrigin = *child->GetOrigin();
        const int right = SaturatedEdge(boxOrigin.x, child->GetWidth());
        const int bottom = SaturatedEdge(boxOrigin.y, child->GetHeight());
        if (childClip == nullptr) {
            childClip = CreateRectRgn(boxOrigin.x, boxOrigin.y, right, bottom);
        } else {
            SetRectRgn(childClip, boxOrigin.x, boxOrigin.y, right, bottom);
        }
        // A child whose clip cannot be made is left out rather than drawn
        // over its neighbours.
        DcStateGuard state(dc);
        if (childClip == nullptr || FAILED(state.SetClip(childClip))) {
            continue;
        }
        // The origin is set, not added: a child's origin is a surface position.
        state.SetViewportOrigin(boxOrigin.x, boxOrigin.y);
        const POINT* contentOffset = child->GetOffset();
        state.OffsetViewportOrigin(contentOffset->x, contentOffset->y);
        child->Draw(surface);
    }
}

void ObjectCollection::Tick(DWORD now) {
    for (DisplayObject* child : children) {
        child->Tick(now);
    }
}

int ObjectCollection::AddObject(DisplayObject* object) {
    if (object == nullptr) {
        return 0;
    }
    children.push_back(object);
    return 1;
}

int ObjectCollection::RemoveObject(DisplayObject* object) {
    auto found = std::find(children.begin(), children.end(), object);
    if (found != children.end()) {
        children.erase(found);
    }
    return 0;
}

}  // namespace vareko
