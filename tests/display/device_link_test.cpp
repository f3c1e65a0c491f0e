// Device link: finding and loading the library through the registry, the
// failures that leave nothing loaded and the reason each one reports, the
// trust check on the library and its registry entry, the initialised flag
// and the forwarders.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "tests/display/link_fixture.h"

namespace {

using namespace vareko::link;
using vareko::testing::LinkEntry;
using vareko::testing::LinkFixture;
using vareko::testing::ScriptedLibrary;
using vareko::platform::PathTrust;
using Calls = std::vector<std::string>;
namespace fs = std::filesystem;

// The library key's default value file, below the hive's folder.
constexpr const char* kLibraryValueFile =
    "SOFTWARE/Classes/CLSID/{FE750200-B72E-11d9-829B-0050DA1A72D3}/ServerBinary/@";

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

    // A copy of the scripted library at `relative` below the registry root,
    // its folders 0755 and the copy `mode`; registered.
    std::string RegisterCopy(const std::string& relative, mode_t mode) {
        const fs::path copy = root.Path() / relative;
        fs::create_directories(copy.parent_path());
        for (fs::path dir = copy.parent_path(); dir != root.Path(); dir = dir.parent_path()) {
            chmod(dir.c_str(), 0755);
        }
        fs::copy_file(VAREKO_SCRIPTED_LIBRARY, copy, fs::copy_options::overwrite_existing);
        chmod(copy.c_str(), mode);
        RegisterLibraryValue(REG_SZ, copy.string() + '\0');
        return copy.string();
    }
    std::string At(const std::string& relative) const { return (root.Path() / relative).string(); }
};

TEST_F(DeviceLinkTest, FailedLoadsReport1722AndWhyAndLeaveNothingLoaded) {
    struct Case {
        const char* name;
        std::function<void(DeviceLinkTest&)> arrange;
        Calls calls;
        LoadOutcome outcome;
        PathTrust trust = PathTrust::Trusted;
        const char* culprit = "";  // below the registry root; "" for none
    };
    const Case cases[] = {
        {"no key",
         [](DeviceLinkTest&) {
             ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, kLibraryRegistryKey), ERROR_SUCCESS);
         },
         {}, LoadOutcome::NotRegistered},
        {"no default value",
         [](DeviceLinkTest&) {
             HKEY key = nullptr;
             RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLibraryRegistryKey, 0, KEY_ALL_ACCESS, &key);
             ASSERT_EQ(RegDeleteValueA(key, nullptr), ERROR_SUCCESS);
             RegCloseKey(key);
         },
         {}, LoadOutcome::NotRegistered},
        {"binary value",
         [](DeviceLinkTest& t) {
             t.RegisterLibraryValue(REG_BINARY, std::string(VAREKO_SCRIPTED_LIBRARY) + '\0');
         },
         {}, LoadOutcome::EntryUnusable},
        {"expandable string",
         [](DeviceLinkTest& t) {
             t.RegisterLibraryValue(REG_EXPAND_SZ, std::string(VAREKO_SCRIPTED_LIBRARY) + '\0');
         },
         {}, LoadOutcome::EntryUnusable},
        {"path one byte too long",
         [](DeviceLinkTest& t) { t.RegisterLibraryValue(REG_SZ, t.PathOfLength(259) + '\0'); },
         {}, LoadOutcome::EntryUnusable},
        {"library missing",
         [](DeviceLinkTest& t) { t.RegisterLibraryValue(REG_SZ, std::string("/nonexistent/x.so")); },
         {}, LoadOutcome::Missing, PathTrust::Missing},
        {"relative path",
         [](DeviceLinkTest& t) { t.RegisterLibraryValue(REG_SZ, std::string("./x.so")); },
         {}, LoadOutcome::PathRefused, PathTrust::NotAbsolute},
        {"library writable by others",
         [](DeviceLinkTest& t) { t.RegisterCopy("lib/x.so", 0666); },
         {}, LoadOutcome::PathRefused, PathTrust::WritableByOthers, "lib/x.so"},
        {"library in a folder writable by others",
         [](DeviceLinkTest& t) {
             t.RegisterCopy("lib/x.so", 0644);
             chmod(t.At("lib").c_str(), 0777);
         },
         {}, LoadOutcome::PathRefused, PathTrust::WritableByOthers, "lib"},
        {"registry value file writable by others",
         [](DeviceLinkTest& t) {
             chmod(t.At(std::string("HKEY_LOCAL_MACHINE/") + kLibraryValueFile).c_str(), 0666);
         },
         {}, LoadOutcome::EntryRefused},
        {"registry key folder writable by others",
         [](DeviceLinkTest& t) { chmod(t.At("HKEY_LOCAL_MACHINE/SOFTWARE").c_str(), 0777); },
         {}, LoadOutcome::EntryRefused},
        {"export missing",
         [](DeviceLinkTest& t) {
             t.RegisterLibraryValue(REG_SZ, std::string(VAREKO_NO_EXPORT_LIBRARY) + '\0');
         },
         {}, LoadOutcome::NoEntryPoint},
        {"table missing",
         [](DeviceLinkTest& t) { t.library.SetTableAnswer(ScriptedLibrary::TableAnswer::Null); },
         {"getinterface 2"}, LoadOutcome::NoTable},
        {"table without an entry the program calls",
         [](DeviceLinkTest& t) {
             t.library.SetTableAnswer(ScriptedLibrary::TableAnswer::TableWithoutUpdate);
         },
         {"getinterface 2"}, LoadOutcome::NoTable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        c.arrange(*this);
        EXPECT_EQ(LinkInit(), kLinkServerUnavailable);
        EXPECT_EQ(library.TakeCalls(), c.calls);
        EXPECT_EQ(LastLoadStatus().outcome, c.outcome);
        EXPECT_EQ(LastLoadStatus().pathCheck.trust, c.trust);
        if (c.culprit[0] != '\0') {
            EXPECT_EQ(LastLoadStatus().pathCheck.where, At(c.culprit));
        }
        EXPECT_FALSE(IsLibraryLoaded(VAREKO_SCRIPTED_LIBRARY));
        EXPECT_FALSE(IsLibraryLoaded(VAREKO_NO_EXPORT_LIBRARY));
        EXPECT_FALSE(IsLibraryLoaded(At("lib/x.so").c_str()));
        ConnectionRecord record{};
        EXPECT_EQ(LinkConnect(&record), kLinkNotActive);

        // A failed load is tried afresh: with the registry mended, it loads.
        std::error_code ignored;
        fs::permissions(root.Path() / "HKEY_LOCAL_MACHINE" / "SOFTWARE", fs::perms(0755), ignored);
        library.Reset();
        RegisterLibraryValue(REG_SZ, std::string(VAREKO_SCRIPTED_LIBRARY) + '\0');
        EXPECT_EQ(LinkInit(), kLinkOk);
        EXPECT_EQ(LastLoadStatus().outcome, LoadOutcome::Loaded);
        EXPECT_EQ(LastLoadStatus().libraryPath, VAREKO_SCRIPTED_LIBRARY);
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
