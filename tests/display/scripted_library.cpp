// The test program's side of the scripted display-manager library.
#include "tests/display/scripted_library.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>

namespace vareko::testing {

using link::LinkHandle;
using link::LinkResult;

void ScriptedLibrary::Reset() { *this = ScriptedLibrary(); }

void ScriptedLibrary::Queue(LinkEntry entry, std::initializer_list<LinkResult> results) {
    queued_[entry].insert(queued_[entry].end(), results.begin(), results.end());
}

void ScriptedLibrary::SetDefault(LinkEntry entry, LinkResult result) { defaults_[entry] = result; }

std::vector<std::string> ScriptedLibrary::TakeCalls() {
    std::vector<std::string> calls;
    calls.swap(calls_);
    return calls;
}

LinkResult ScriptedLibrary::Next(LinkEntry entry) {
    std::deque<LinkResult>& queue = queued_[entry];
    if (queue.empty()) {
        return defaults_[entry];
    }
    LinkResult result = queue.front();
    queue.pop_front();
    return result;
}

const link::InterfaceTable* ScriptedLibrary::GetInterface(const link::InterfaceTable* table,
                                                          std::uint32_t version) {
    Record("getinterface " + std::to_string(version));
    switch (tableAnswer_) {
    case TableAnswer::Null:
        return nullptr;
    case TableAnswer::TableWithoutUpdate:
        holedTable_ = *table;
        holedTable_.update = nullptr;
        return &holedTable_;
    case TableAnswer::Table:
        break;
    }
    return table;
}

LinkResult ScriptedLibrary::Init() {
    Record("init");
    return Next(LinkEntry::Init);
}

LinkResult ScriptedLibrary::Deinit() {
    Record("deinit");
    return Next(LinkEntry::Deinit);
}

LinkResult ScriptedLibrary::Connect(link::ConnectionRecord* record) {
    Record("connect");
    LinkResult result = Next(LinkEntry::Connect);
    lastConnect_ = *record;
    lastAppName_.clear();
    for (const wchar_t* c = record->appName; c != nullptr && *c != L'\0' && lastAppName_.size() < 512; ++c) {
        lastAppName_ += *c;
    }
    if (result == link::kLinkOk) {
        record->connection = nextConnection_++;
    }
    return result;
}

LinkResult ScriptedLibrary::Disconnect(LinkHandle connection) {
    Record("disconnect " + std::to_string(connection));
    return Next(LinkEntry::Disconnect);
}

LinkResult ScriptedLibrary::Enumerate(LinkHandle connection, std::uint32_t index, void* buffer16) {
    Record("enumerate " + std::to_string(connection) + " " + std::to_string(index));
    auto* bytes = static_cast<unsigned char*>(buffer16);
    enumerateBufferWasZero_ =
        std::all_of(bytes, bytes + link::kEnumerateBufferBytes, [](unsigned char b) { return b == 0; });
    std::memset(buffer16, 0xA5, link::kEnumerateBufferBytes);  // the program must not care
    return Next(LinkEntry::Enumerate);
}

LinkResult ScriptedLibrary::Open(link::OpenRecord* record) {
    Record("open " + std::to_string(record->connection));
    lastOpen_ = *record;
    LinkResult result = Next(LinkEntry::Open);
    if (result == link::kLinkOk) {
        record->device = nextDevice_++;
    }
    return result;
}

LinkResult ScriptedLibrary::Close(LinkHandle device) {
    Record("close " + std::to_string(device));
    return Next(LinkEntry::Close);
}

LinkResult ScriptedLibrary::ReadButtons(LinkHandle device, std::uint32_t* buttons) {
    Record("buttons " + std::to_string(device));
    LinkResult result = Next(LinkEntry::ReadButtons);
    if (result == link::kLinkOk) {
        *buttons = buttons_;
    }
    return result;
}

LinkResult ScriptedLibrary::Update(LinkHandle device, const DeviceBitmap* bitmap, std::uint32_t priority) {
    Record("update " + std::to_string(device) + " " + std::to_string(priority));
    lastBitmap_ = *bitmap;
    return Next(LinkEntry::Update);
}

LinkResult ScriptedLibrary::SetDeviceFlag(LinkHandle device, std::uint32_t flag) {
    Record("flag " + std::to_string(device) + " " + std::to_string(flag));
    return Next(LinkEntry::SetDeviceFlag);
}

}  // namespace vareko::testing

extern "C" __attribute__((visibility("default"))) vareko::testing::ScriptedLibrary* VarekoScriptedLibrary() {
    static vareko::testing::ScriptedLibrary library;
    return &library;
}

bool IsLibraryLoaded(const char* path) {
    void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr) {
        dlclose(handle);
    }
    return handle != nullptr;
}
