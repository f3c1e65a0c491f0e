// The display manager's icon, progress-bar and bitmap operations: each is
// handed unchanged to the current page; without one, creation gives the null
// handle and the setters E_FAIL.
#include "display/display_manager.h"

namespace vareko {

ObjectHandle DisplayManager::CreateIconObject(HICON icon, int iconWidth, int iconHeight) {
    return currentPage != nullptr ? currentPage->CreateIconObject(icon, iconWidth, iconHeight)
                                  : nullptr;
}

ObjectHandle DisplayManager::CreateProgressBar(int style) {
    return currentPage != nullptr ? currentPage->CreateProgressBar(style) : nullptr;
}

HRESULT DisplayManager::SetProgressPosition(ObjectHandle handle, float position) {
    return currentPage != nullptr ? currentPage->SetProgressPosition(handle, position) : E_FAIL;
}

HRESULT DisplayManager::SetProgressSize(ObjectHandle handle, int barWidth, int barHeight) {
    return currentPage != nullptr ? currentPage->SetProgressSize(handle, barWidth, barHeight)
                                  : E_FAIL;
}

ObjectHandle DisplayManager::CreateBitmapObject() {
    return currentPage != nullptr ? currentPage->CreateBitmapObject() : nullptr;
}

HRESULT DisplayManager::SetObjectBitmap(ObjectHandle handle, HBITMAP bitmap) {
    return currentPage != nullptr ? currentPage->SetObjectBitmap(handle, bitmap) : E_FAIL;
}

}  // namespace vareko
