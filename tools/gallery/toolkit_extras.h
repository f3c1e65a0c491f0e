// The toolkit objects that the display manager does not offer (a sized
// bitmap, an animated bitmap and a scrolling text), for the in-process
// picture of the gallery. They take the places of the live page's stand-ins,
// which are hidden; the page owns and deletes them with its other objects.
#pragma once

#include "display/manager_page.h"
#include "tools/gallery/gallery_pictures.h"
#include "tools/gallery/gallery_scene.h"

namespace vareko::gallery {

void AddToolkitExtras(ManagerPage& page, const SceneHandles& handles,
                      const GalleryPictures& pictures);

}  // namespace vareko::gallery
