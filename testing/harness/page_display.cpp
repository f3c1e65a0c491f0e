// Manager pages standing in for the display manager and its device output.
#include "testing/harness/page_display.h"

#include "platform/win32.h"

namespace vareko::harness {
namespace {

// The display manager starts every page's timer with this duration.
constexpr DWORD kPageNeverExpires = 0xFFFFFFFF;

}  // namespace

PageDisplay::PageDisplay() = default;

PageDisplay::~PageDisplay() = default;

HRESULT PageDisplay::Initialize(const WCHAR*, DWORD, DWORD, void*, int pageWidth, int pageHeight) {
    width = pageWidth;
    height = pageHeight;
    AddPage();
    current = shown = 0;
    return S_OK;
}

int PageDisplay::AddPage() {
    pages.push_back(std::make_unique<ManagerPage>(&sink, width, height));
    pages.back()->Initialize();
    pages.back()->StartTimer(kPageNeverExpires);
    return static_cast<int>(pages.size());
}

int PageDisplay::SelectPage(int index) {
    if (!Valid(index)) return 0;
    current = static_cast<std::size_t>(index);
    return 1;
}

int PageDisplay::ShowPage(int index) {
    if (!Valid(index)) return 0;
    current = shown = static_cast<std::size_t>(index);
    return 1;
}

DashboardDisplay::Handle PageDisplay::CreateTextObject(int kind, int sizeClass, int alignment, int boxWidth) {
    return Current().CreateTextObject(static_cast<TextKind>(kind), static_cast<SizeClass>(sizeClass),
                                      static_cast<UINT>(alignment), boxWidth);
}

HRESULT PageDisplay::SetObjectOrigin(Handle object, int x, int y) {
    return Current().SetObjectOrigin(static_cast<ObjectHandle>(object), x, y);
}

HRESULT PageDisplay::SetObjectText(Handle object, const WCHAR* text) {
    return Current().SetObjectText(static_cast<ObjectHandle>(object), text);
}

int PageDisplay::IsButtonReleased(int) { return 0; }

void PageDisplay::Update() {
    ManagerPage& page = *pages[shown];
    page.Advance(GetTickCount());
    page.Render();
    frame = page.GetDeviceBitmap();
}

}  // namespace vareko::harness
