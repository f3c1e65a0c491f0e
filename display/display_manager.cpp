// Pages by index, button latching and the update cycle of the display manager.
#include "display/display_manager.h"

#include <iterator>
#include <new>

namespace vareko {
namespace {

constexpr DWORD kPageNeverExpires = 0xFFFFFFFF;

// Soft-button bit to query index; any other value, also a combination, is no button.
int ButtonIndex(DWORD button) {
    constexpr DWORD kBits[] = {1, 2, 4, 8};
    for (int index = 0; index < static_cast<int>(std::size(kBits)); ++index) {
        if (kBits[index] == button) {
            return index;
        }
    }
    return -1;
}

}  // namespace

DisplayManager::DisplayManager() = default;

DisplayManager::DisplayManager(const wchar_t* newTitle, int displayWidth, int displayHeight) {
    Initialize(newTitle, 0, 0, nullptr, displayWidth, displayHeight);
}

DisplayManager::~DisplayManager() {
    for (ManagerPage* page : pages) {
        delete page;
    }
    for (ManagerPage* page : removedPages) {
        delete page;
    }
    // No page is left to notify, and Shutdown sends no notifications.
    output.Shutdown();
}

HRESULT DisplayManager::Initialize(const wchar_t* newTitle, DWORD flag2, DWORD flag1,
                                   const CallbackRecord* callbacks, int displayWidth,
                                   int displayHeight) {
    if (initialized || pageCount != 0) {
        return E_FAIL;
    }
    initialized = true;
    width = displayWidth;
    height = displayHeight;
    int length = 0;
    for (; newTitle != nullptr && newTitle[length] != L'\0' && length < kTitleUnits - 1; ++length) {
        title[length] = newTitle[length];
    }
    title[length] = L'\0';
    needsReopen = true;
    connected = false;
    for (int i = 0; i < kButtonCount; ++i) {
        buttonsNow[i] = 0;
        buttonsBefore[i] = 0;
    }
    callbackRecord = callbacks;
    connectFlag1 = flag1;
    connectFlag2 = flag2;
    currentPage = nullptr;
    AddPage();
    SelectPage(0);
    link::ConnectionRecord record = BuildConnectionRecord();
    if (FAILED(output.Open(&record))) {
        connected = false;
        return E_FAIL;
    }
    return S_OK;
}

link::ConnectionRecord DisplayManager::BuildConnectionRecord() const {
    link::ConnectionRecord record{};
    record.appName = title;
    record.connectFlag1 = connectFlag1;
    record.connectFlag2 = connectFlag2;
    record.callback = callbackRecord != nullptr ? callbackRecord->callback : nullptr;
    record.callbackContext = callbackRecord != nullptr ? callbackRecord->context : nullptr;
    record.connection = link::kNoHandle;
    return record;
}

int DisplayManager::AddPage() {
    auto* page = new (std::nothrow) ManagerPage(this, width, height);
    if (page == nullptr) {
        return pageCount;
    }
    page->Initialize();
    page->StartTimer(kPageNeverExpires);
    pages.push_back(page);
    pageCount = static_cast<int>(pages.size());
    return pageCount;
}

int DisplayManager::AddPages(int count) {
    for (int i = 0; i < count; ++i) {
        AddPage();
    }
    return GetPageCount();
}

int DisplayManager::RemovePage(int index) {
    if (!IsValidIndex(index)) {
        return -1;
    }
    removedPages.push_back(pages[static_cast<std::size_t>(index)]);
    pages.erase(pages.begin() + index);
    pageCount = static_cast<int>(pages.size());
    currentPage = pages.empty() ? nullptr : pages.front();
    return pageCount;
}

int DisplayManager::SelectPage(int index) {
    if (!IsValidIndex(index)) {
        return 0;
    }
    currentPage = pages[static_cast<std::size_t>(index)];
    return 1;
}

int DisplayManager::ShowPage(int index) {
    if (SelectPage(index) == 0) {
        return 0;
    }
    output.UnpinPage();
    output.PinPage(currentPage);
    return 1;
}

ObjectHandle DisplayManager::CreateTextObject(TextKind kind, SizeClass sizeClass, UINT alignment,
                                              int boxWidth, int lines) {
    if (currentPage == nullptr) {
        return nullptr;
    }
    return currentPage->CreateTextObject(kind, sizeClass, alignment, boxWidth, lines);
}

HRESULT DisplayManager::SetObjectText(ObjectHandle handle, const wchar_t* text) {
    return currentPage != nullptr ? currentPage->SetObjectText(handle, text) : E_FAIL;
}

HRESULT DisplayManager::SetObjectOrigin(ObjectHandle handle, int x, int y) {
    return currentPage != nullptr ? currentPage->SetObjectOrigin(handle, x, y) : E_FAIL;
}

HRESULT DisplayManager::SetObjectVisible(ObjectHandle handle, BOOL show) {
    return currentPage != nullptr ? currentPage->SetObjectVisible(handle, show) : E_FAIL;
}

int DisplayManager::IsButtonPressed(int index) const {
    return IsValidButton(index) && buttonsNow[index] != 0 && buttonsBefore[index] == 0 ? 1 : 0;
}

int DisplayManager::IsButtonReleased(int index) const {
    return IsValidButton(index) && buttonsNow[index] == 0 && buttonsBefore[index] != 0 ? 1 : 0;
}

int DisplayManager::IsButtonDown(int index) const {
    return IsValidButton(index) ? static_cast<int>(buttonsNow[index]) : 0;
}

HRESULT DisplayManager::SetDeviceFlag(DWORD value) {
    output.SetDeviceFlag(value);
    return S_OK;
}

HRESULT DisplayManager::SetPriority(DWORD value) {
    output.SetPriority(value);
    return S_OK;
}

void DisplayManager::Update() {
    if (needsReopen) {
        for (ManagerPage* page : pages) {
            output.AddPage(page);
        }
        output.UnpinPage();
        output.PinPage(currentPage);
        link::ConnectionRecord record = BuildConnectionRecord();
        connected = SUCCEEDED(output.Open(&record));
        needsReopen = false;
    }
    if (!connected) {
        return;
    }
    for (int i = 0; i < kButtonCount; ++i) {
        buttonsBefore[i] = buttonsNow[i];
    }
    output.Advance(GetTickCount());
    output.Render();
}

void DisplayManager::OnButtonDown(DWORD button) {
    if (int index = ButtonIndex(button); index >= 0) {
        buttonsNow[index] = 1;
    }
}

void DisplayManager::OnButtonUp(DWORD button) {
    if (int index = ButtonIndex(button); index >= 0) {
        buttonsNow[index] = 0;
    }
}

}  // namespace vareko
