// The manager page's object factory and handle lookup.
#include "display/manager_page.h"

#include <new>

#include "display/size_class_style.h"
#include "toolkit/streaming_text_object.h"
#include "toolkit/text_object.h"

namespace vareko {
namespace {

constexpr const wchar_t* kBlank = L" ";
constexpr const wchar_t* kStreamingSeparator = L"       ";  // seven blanks
constexpr int kOpaque = 2;
constexpr int kStreamingSpeed = 7;
constexpr DWORD kStreamingMinimumStep = 7;
constexpr DWORD kStreamingStartDelayMs = 2000;

}  // namespace

ManagerPage::ManagerPage(ButtonSink* pageOwner, int pageWidth, int pageHeight)
    : owner(pageOwner), width(pageWidth), height(pageHeight) {}

ManagerPage::~ManagerPage() {
    for (DisplayObject* child : children) {
        delete child;
    }
}

void ManagerPage::OnButtonDown(DWORD button) { owner->OnButtonDown(button); }

void ManagerPage::OnButtonUp(DWORD button) { owner->OnButtonUp(button); }

DisplayObject* ManagerPage::FindObject(ObjectHandle handle) {
    for (DisplayObject* child : children) {
        if (reinterpret_cast<ObjectHandle>(child) == handle) {
            return child;
        }
    }
    return nullptr;
}

ObjectHandle ManagerPage::CreateTextObject(TextKind kind, SizeClass sizeClass, UINT alignment,
                                           int boxWidth, int lines) {
    switch (kind) {
    case TextKind::Static:
        return CreateStaticText(sizeClass, alignment, boxWidth, lines);
    case TextKind::Streaming:
        return CreateStreamingText(sizeClass, alignment, boxWidth);
    }
    return nullptr;
}

ObjectHandle ManagerPage::CreateStaticText(SizeClass sizeClass, UINT alignment, int boxWidth,
                                           int lines) {
    auto* text = new (std::nothrow) TextObject();
    if (text == nullptr) {
        return nullptr;
    }
    const SizeClassStyle& style = StyleOf(sizeClass);
    text->Initialize();
    text->SetOrigin(0, 0);
    text->SetFaceName(text::kHouseFaceName.data());
    text->SetAlignment(alignment);
    text->SetBackgroundMode(kOpaque);
    text->SetText(kBlank);
    if (style.weight != 0) {
        text->SetWeight(style.weight);
    }
    // An unknown size class gets one line's height whatever the line count.
    int boxHeight = IsKnownSizeClass(sizeClass) ? style.lineHeight * lines : style.lineHeight;
    text->SetSize(boxWidth, boxHeight);
    text->SetPointSize(style.pointSize);
    text->SetOffset(0, style.offsetY);
    text->SetObjectType(kStaticTextTag);
    if (lines > 1) {
        text->SetWordWrap(TRUE);
    }
    return Adopt(text);
}

ObjectHandle ManagerPage::CreateStreamingText(SizeClass sizeClass, UINT alignment, int boxWidth) {
    auto* text = new (std::nothrow) StreamingTextObject();
    if (text == nullptr) {
        return nullptr;
    }
    const SizeClassStyle& style = StyleOf(sizeClass);
    text->Initialize();
    text->SetOrigin(0, 0);
    text->SetFaceName(text::kHouseFaceName.data());
    text->SetAlignment(alignment);
    text->SetText(kBlank);
    text->SetSeparator(kStreamingSeparator);
    text->SetSpeed(kStreamingSpeed);
    text->SetMinimumStep(kStreamingMinimumStep);
    text->SetStartDelay(kStreamingStartDelayMs);
    if (style.weight != 0) {
        text->SetWeight(style.weight);
    }
    text->SetSize(boxWidth, style.lineHeight);  // a streaming text has one line
    text->SetPointSize(style.pointSize);
    text->SetOffset(0, style.offsetY);
    text->SetObjectType(kStreamingTextTag);
    return Adopt(text);
}

ObjectHandle ManagerPage::Adopt(DisplayObject* object) {
    AddObject(object);
    return reinterpret_cast<ObjectHandle>(object);
}

HRESULT ManagerPage::SetObjectText(ObjectHandle handle, const wchar_t* text) {
    DisplayObject* object = FindObject(handle);
    if (object == nullptr) {
        return E_FAIL;
    }
    // The tag says which text class to use; the cast makes sure it is one.
    switch (object->GetObjectType()) {
    case kStaticTextTag:
        if (auto* staticText = dynamic_cast<TextObject*>(object)) {
            staticText->SetText(text);
            return S_OK;
        }
        return E_FAIL;
    case kStreamingTextTag:
        if (auto* streamingText = dynamic_cast<StreamingTextObject*>(object)) {
            streamingText->SetText(text);
            return S_OK;
        }
        return E_FAIL;
    default:
        return E_FAIL;
    }
}

HRESULT ManagerPage::SetObjectOrigin(ObjectHandle handle, int x, int y) {
    DisplayObject* object = FindObject(handle);
    if (object == nullptr) {
        return E_FAIL;
    }
    object->SetOrigin(x, y);
    return S_OK;
}

HRESULT ManagerPage::SetObjectVisible(ObjectHandle handle, BOOL show) {
    DisplayObject* object = FindObject(handle);
    if (object == nullptr) {
        return E_FAIL;
    }
    object->SetVisible(show);
    return S_OK;
}

}  // namespace vareko
