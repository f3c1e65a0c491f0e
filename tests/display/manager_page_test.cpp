// Manager page: text objects per kind and size class, handle lookup and
// type checks, button forwarding and ownership of the objects it holds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "display/manager_page.h"
#include "platform/text/house_font.h"
#include "platform/win32.h"
#include "toolkit/streaming_text_object.h"
#include "toolkit/text_object.h"

namespace {

using namespace vareko;

class RecordingSink : public ButtonSink {
public:
    void OnButtonDown(DWORD button) override { events.push_back("down " + std::to_string(button)); }
    void OnButtonUp(DWORD button) override { events.push_back("up " + std::to_string(button)); }
    std::vector<std::string> events;
};

// An object that counts its destruction and draws nothing.
class CountedObject : public DisplayObject {
public:
    explicit CountedObject(int& deleted) : deleted_(deleted) {}
    ~CountedObject() override { ++deleted_; }
    void Draw(GraphicsSurface&) override {}

private:
    int& deleted_;
};

LOGFONTW FontOf(HFONT font) {
    LOGFONTW logFont{};
    EXPECT_EQ(GetObjectW(font, sizeof logFont, &logFont), static_cast<int>(sizeof logFont));
    return logFont;
}

class ManagerPageTest : public ::testing::Test {
public:
    platform::TestClock clock{1000};
    RecordingSink sink;
    ManagerPage page{&sink, 160, 43};

    void SetUp() override { page.Initialize(); }
};

struct Expected {
    int width;
    int height;
    int offsetY;
    LONG fontHeight;
    bool bold;
};

TEST_F(ManagerPageTest, StaticTextPerSizeClass) {
    struct Case {
        int sizeClass;
        int width;
        int lines;
        Expected expected;
        bool wordWrap;
    };
    const Case cases[] = {
        {0, 80, 1, {80, 12, -3, -9, false}, false},
        {1, 100, 3, {100, 39, -2, -11, false}, true},
        {2, 60, 2, {60, 40, -4, -16, true}, true},
        {5, 100, 3, {100, 13, -2, -11, false}, true},  // unknown class: one line's height
        {-1, 50, 1, {50, 13, -2, -11, false}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("size class " + std::to_string(c.sizeClass));
        ObjectHandle handle =
            page.CreateTextObject(TextKind::Static, static_cast<SizeClass>(c.sizeClass), 2, c.width, c.lines);
        auto* text = dynamic_cast<TextObject*>(page.FindObject(handle));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->GetWidth(), c.expected.width);
        EXPECT_EQ(text->GetHeight(), c.expected.height);
        EXPECT_EQ(text->GetOrigin()->x, 0);
        EXPECT_EQ(text->GetOrigin()->y, 0);
        EXPECT_EQ(text->GetOffset()->x, 0);
        EXPECT_EQ(text->GetOffset()->y, c.expected.offsetY);
        EXPECT_EQ(text->GetObjectType(), kStaticTextTag);
        EXPECT_EQ(text->GetBackgroundMode(), 2);
        EXPECT_STREQ(text->GetText(), L" ");
        LOGFONTW font = FontOf(text->GetFont());
        EXPECT_EQ(font.lfHeight, c.expected.fontHeight);
        EXPECT_EQ(font.lfWeight == 700, c.expected.bold);
        EXPECT_STREQ(font.lfFaceName, text::kHouseFaceName.data());
        // Word wrap shows in the measured extents: with it on, the text's own
        // layout wraps as the wrapped one does; with it off it stays one line.
        text->SetText(L"a text much too long for one line of the box");
        page.Render();
        EXPECT_EQ(text->GetTextExtent()->cy == text->GetWrappedExtent()->cy, c.wordWrap);
    }
}

TEST_F(ManagerPageTest, StreamingTextPerSizeClass) {
    struct Case {
        int sizeClass;
        int lines;
        Expected expected;
    };
    const Case cases[] = {
        {2, 4, {80, 20, -4, -16, true}},  // one line, whatever the count
        {0, 1, {80, 12, -3, -9, false}},
        {9, 3, {80, 13, -2, -11, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("size class " + std::to_string(c.sizeClass));
        ObjectHandle handle =
            page.CreateTextObject(TextKind::Streaming, static_cast<SizeClass>(c.sizeClass), 1, 80, c.lines);
        auto* text = dynamic_cast<StreamingTextObject*>(page.FindObject(handle));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->GetWidth(), c.expected.width);
        EXPECT_EQ(text->GetHeight(), c.expected.height);
        EXPECT_EQ(text->GetOffset()->y, c.expected.offsetY);
        EXPECT_EQ(text->GetObjectType(), kStreamingTextTag);
        LOGFONTW font = FontOf(text->GetFont());
        EXPECT_EQ(font.lfHeight, c.expected.fontHeight);
        EXPECT_EQ(font.lfWeight == 700, c.expected.bold);
        EXPECT_STREQ(font.lfFaceName, text::kHouseFaceName.data());
    }
}

TEST_F(ManagerPageTest, UnknownTextKindCreatesNothing) {
    EXPECT_EQ(page.CreateTextObject(static_cast<TextKind>(2), SizeClass::Small, 0, 80), nullptr);
    EXPECT_EQ(page.CreateTextObject(static_cast<TextKind>(-1), SizeClass::Small, 0, 80), nullptr);
    EXPECT_EQ(page.FindObject(nullptr), nullptr);
}

TEST_F(ManagerPageTest, HandlesAreFoundOnlyOnTheirPageAndTextNeedsATextObject) {
    ManagerPage other{&sink, 160, 43};
    other.Initialize();
    ObjectHandle foreign = other.CreateTextObject(TextKind::Static, SizeClass::Small, 0, 80);
    ObjectHandle mine = page.CreateTextObject(TextKind::Static, SizeClass::Small, 0, 80);
    ObjectHandle ticker = page.CreateTextObject(TextKind::Streaming, SizeClass::Small, 0, 80);
    int deleted = 0;
    auto* bar = new CountedObject(deleted);
    bar->SetObjectType(kProgressBarTag);
    page.AddObject(bar);
    auto* impostor = new CountedObject(deleted);
    impostor->SetObjectType(kStaticTextTag);  // tagged as text, but is none
    page.AddObject(impostor);
    auto handleOf = [](DisplayObject* object) { return reinterpret_cast<ObjectHandle>(object); };

    struct Case {
        const char* name;
        ObjectHandle handle;
        HRESULT text;
        HRESULT origin;
    };
    const Case cases[] = {
        {"static text", mine, S_OK, S_OK},
        {"streaming text", ticker, S_OK, S_OK},
        {"progress bar", handleOf(bar), E_FAIL, S_OK},
        {"wrong tag", handleOf(impostor), E_FAIL, S_OK},
        {"another page's object", foreign, E_FAIL, E_FAIL},
        {"null", nullptr, E_FAIL, E_FAIL},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(page.SetObjectText(c.handle, L"12"), c.text) << c.name;
        EXPECT_EQ(page.SetObjectOrigin(c.handle, 5, 6), c.origin) << c.name;
        EXPECT_EQ(page.SetObjectVisible(c.handle, FALSE), c.origin) << c.name;
    }
    EXPECT_STREQ(dynamic_cast<TextObject*>(page.FindObject(mine))->GetText(), L"12");
    EXPECT_EQ(page.FindObject(mine)->GetOrigin()->x, 5);
    EXPECT_EQ(page.FindObject(mine)->GetOrigin()->y, 6);
    EXPECT_FALSE(page.FindObject(mine)->IsVisible());
    EXPECT_TRUE(other.FindObject(foreign)->IsVisible());
}

TEST_F(ManagerPageTest, ButtonNotificationsReachTheOwnerUnchanged) {
    page.OnButtonDown(3);
    page.OnButtonUp(8);
    EXPECT_EQ(sink.events, (std::vector<std::string>{"down 3", "up 8"}));
}

TEST(ManagerPageOwnershipTest, DeletesEveryObjectItHolds) {
    RecordingSink sink;
    int deleted = 0;
    {
        ManagerPage page{&sink, 160, 43};
        page.Initialize();
        page.CreateTextObject(TextKind::Streaming, SizeClass::Large, 0, 80);
        page.AddObject(new CountedObject(deleted));
        page.CreateTextObject(TextKind::Static, SizeClass::Large, 0, 80);
        page.AddObject(new CountedObject(deleted));
    }
    EXPECT_EQ(deleted, 2);  // the texts are checked by the leak checker
}

}  // namespace
