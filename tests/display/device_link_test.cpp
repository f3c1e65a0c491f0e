// Device link: finding and loading the library through the registry, the
// failures that leave nothing loaded, the initialised flag and the forwarders.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "tests/display/link_fixture.h"

namespace {

using namespace vareko::link;
using vareko::testing::LinkEntry;
using vareko::testing::LinkFixture;
using vareko::testing::ScriptedLibrary;
using Calls = std::vector<std::string>;

class DeviceLinkTest : public LinkFixture {
public:
    // A path of exactly `length` characters that leads to the scripted library.
    std::string PathOfLength(std::size_t length) {
        std::filesystem::path dir = root.Path() / "lib";
        std::size_t fixed = dir.string().size() + 6;  // "/" name "/x.so"
        std::string name(length - fixed, 'd');
        std::filesystem::create_directories(dir / name);
        std::string path = (dir / name / "x.so").string();
        std::filesystem::create_symlink(VAREKO_SCRIPTED_LIBRARY, path);
        return path;
    }
};

TEST_F(DeviceLinkTest, FailedLoadsReport1722AndLeaveNothingLoaded) {
    struct Case {
        const char* name;
        std::function<void(DeviceLinkTest&)> arrange;
        Calls calls;
    };
    const Case cases[] = {
        {"no key",
         [](DeviceLinkTest&) {
             ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, kLibraryRegistryKey), ERROR_SUCCESS);
         },
         {}},
        {"no default value",
         [](DeviceLinkTest&) {
             HKEY key = nullptr;
             RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLibraryRegistryKey, 0, KEY_ALL_ACCESS, &key);
             ASSERT_EQ(RegDeleteValueA(key, nullptr), ERROR_SUCCESS);
             RegCloseKey(key);
         },
         {}},
        {"binary value",
         [](DeviceLinkTest& t) {
             t.RegisterLibraryValue(REG_BINARY, std::string(VAREKO_SCRIPTED_LIBRARY) + '\0');
         },
         {}},
        {"expandable string",
         [](DeviceLinkTest& t) {
             t.RegisterLibraryValue(REG_EXPAND_SZ, std::string(VAREKO_SCRIPTED_LIBRARY) + '\0');
         },
         {}},
        {"path one byte too long",
         [](DeviceLinkTest& t) { t.RegisterLibraryValue(REG_SZ, t.PathOfLength(259) + '\0'); },
         {}},
        {"library missing",
         [](DeviceLinkTest& t) { t.RegisterLibraryValue(REG_SZ, std::string("/nonexistent/x.so")); },
         {}},
        {"export missing",
         [](DeviceLinkTest& t) {
             t.RegisterLibraryValue(REG_SZ, std::string(VAREKO_NO_EXPORT_LIBRARY) + '\0');
         },
         {}},
        {"table missing",
         [](DeviceLinkTest& t) { t.library.SetTableAnswer(ScriptedLibrary::TableAnswer::Null); },
         {"getinterface 2"}},
        {"table without an entry the program calls",
         [](DeviceLinkTest& t) {
             t.library.SetTableAnswer(ScriptedLibrary::TableAnswer::TableWithoutUpdate);
         },
         {"getinterface 2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        c.arrange(*this);
        EXPECT_EQ(LinkInit(), kLinkServerUnavailable);
        EXPECT_EQ(library.TakeCalls(), c.calls);
        EXPECT_FALSE(IsLibraryLoaded(VAREKO_SCRIPTED_LIBRARY));
        EXPECT_FALSE(IsLibraryLoaded(VAREKO_NO_EXPORT_LIBRARY));
        ConnectionRecord record{};
        EXPECT_EQ(LinkConnect(&record), kLinkNotActive);

        // A failed load is tried afresh: with the registry mended, it loads.
        library.Reset();
        RegisterLibraryValue(REG_SZ, std::string(VAREKO_SCRIPTED_LIBRARY) + '\0');
        EXPECT_EQ(LinkInit(), kLinkOk);
        EXPECT_EQ(LinkDeinit(), kLinkOk);
    }
}

TEST_F(DeviceLinkTest, LongestPathAndUnterminatedValueLoad) {
    RegisterLibraryValue(REG_SZ, PathOfLength(258) + '\0');
    EXPECT_EQ(LinkInit(), kLinkOk);
    EXPECT_EQ(LinkDeinit(), kLinkOk);

    // Stored without its zero: read back terminated.
    RegisterLibraryValue(REG_SZ, VAREKO_SCRIPTED_LIBRARY);
    EXPECT_EQ(LinkInit(), kLinkOk);
    EXPECT_EQ(library.TakeCalls(), (Calls{"getinterface 2", "init", "deinit", "getinterface 2", "init"}));
}

TEST_F(DeviceLinkTest, InitialisesOnceAndStaysInitialisedWhenTheLibraryInitFails) {
    library.Queue(LinkEntry::Init, {5});
    library.Queue(LinkEntry::Deinit, {9});
    EXPECT_EQ(LinkInit(), 5u);
    EXPECT_TRUE(IsLibraryLoaded(VAREKO_SCRIPTED_LIBRARY));
    EXPECT_EQ(LinkInit(), kLinkAlreadyInitialized);
    EXPECT_EQ(library.TakeCalls(), (Calls{"getinterface 2", "init"}));

    EXPECT_EQ(LinkDeinit(), 9u);
    EXPECT_FALSE(IsLibraryLoaded(VAREKO_SCRIPTED_LIBRARY));
    EXPECT_EQ(LinkDeinit(), kLinkOk);
    EXPECT_EQ(library.TakeCalls(), (Calls{"deinit"}));
}

TEST_F(DeviceLinkTest, ForwardersPassArgumentsAndResultsOnlyWhileInitialised) {
    ConnectionRecord connectRecord{L"Name", 1, 2, nullptr, nullptr, kNoHandle};
    OpenRecord openRecord{70, 0, 0, 0, kNoHandle};
    unsigned char buffer[kEnumerateBufferBytes] = {};
    std::uint32_t buttons = 0;
    vareko::DeviceBitmap bitmap{};
    struct Case {
        LinkEntry entry;
        std::function<LinkResult()> call;
        const char* logged;
    };
    const Case cases[] = {
        {LinkEntry::Connect, [&] { return LinkConnect(&connectRecord); }, "connect"},
        {LinkEntry::Disconnect, [] { return LinkDisconnect(71); }, "disconnect 71"},
        {LinkEntry::Enumerate, [&] { return LinkEnumerate(72, 3, buffer); }, "enumerate 72 3"},
        {LinkEntry::Open, [&] { return LinkOpen(&openRecord); }, "open 70"},
        {LinkEntry::Close, [] { return LinkClose(31); }, "close 31"},
        {LinkEntry::ReadButtons, [&] { return LinkReadButtons(32, &buttons); }, "buttons 32"},
        {LinkEntry::Update, [&] { return LinkUpdate(33, &bitmap, 128); }, "update 33 128"},
        {LinkEntry::SetDeviceFlag, [] { return LinkSetDeviceFlag(34, 6); }, "flag 34 6"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(), kLinkNotActive) << c.logged;
    }
    ASSERT_EQ(LinkInit(), kLinkOk);
    library.TakeCalls();
    for (const Case& c : cases) {
        library.Queue(c.entry, {1000 + static_cast<LinkResult>(c.entry)});
        EXPECT_EQ(c.call(), 1000 + static_cast<LinkResult>(c.entry)) << c.logged;
        EXPECT_EQ(library.TakeCalls(), Calls{c.logged});
    }
    EXPECT_EQ(LinkConnect(&connectRecord), kLinkOk);
    EXPECT_EQ(connectRecord.connection, ScriptedLibrary::kFirstConnection);
    EXPECT_EQ(library.LastAppName(), L"Name");
    EXPECT_EQ(LinkOpen(&openRecord), kLinkOk);
    EXPECT_EQ(openRecord.device, ScriptedLibrary::kFirstDevice);

    ASSERT_EQ(LinkDeinit(), kLinkOk);
    library.TakeCalls();
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(), kLinkNotActive) << c.logged;
    }
    EXPECT_TRUE(library.Calls().empty());
}

}  // namespace
