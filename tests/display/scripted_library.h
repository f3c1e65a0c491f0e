// A display-manager library for tests. The shared object built from
// scripted_library_module.cpp exports "GetInterface" like a real library;
// each of its entries calls the one ScriptedLibrary that lives in the test
// program (found through the exported VarekoScriptedLibrary), which answers
// as the test scripted it and records every call with its arguments.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "display/devicelink/link_interface.h"

namespace vareko::testing {

enum class LinkEntry { Init, Deinit, Connect, Disconnect, Enumerate, Open, Close, ReadButtons, Update, SetDeviceFlag };

class ScriptedLibrary {
public:
    static constexpr link::LinkHandle kFirstConnection = 70;
    static constexpr link::LinkHandle kFirstDevice = 30;

    // Back to the start: no script, empty log, handles from the first ones.
    void Reset();

    // The next calls of `entry` return `results` in turn, then the default again.
    void Queue(LinkEntry entry, std::initializer_list<link::LinkResult> results);
    // What `entry` returns when nothing is queued (0 unless set).
    void SetDefault(LinkEntry entry, link::LinkResult result);
    // The word that a successful button read reports.
    void SetButtons(std::uint32_t word) { buttons_ = word; }
    enum class TableAnswer { Table, Null, TableWithoutUpdate };
    void SetTableAnswer(TableAnswer answer) { tableAnswer_ = answer; }

    // Every call so far, as "entry args", e.g. "update 30 128"; TakeCalls clears.
    std::vector<std::string> TakeCalls();
    const std::vector<std::string>& Calls() const { return calls_; }

    // What the last successful calls handed over.
    const DeviceBitmap& LastBitmap() const { return lastBitmap_; }
    const link::ConnectionRecord& LastConnectRecord() const { return lastConnect_; }
    const std::wstring& LastAppName() const { return lastAppName_; }
    const link::OpenRecord& LastOpenRecord() const { return lastOpen_; }
    bool EnumerateBufferWasZero() const { return enumerateBufferWasZero_; }

    // The entries, called by the shared object.
    const link::InterfaceTable* GetInterface(const link::InterfaceTable* table, std::uint32_t version);
    link::LinkResult Init();
    link::LinkResult Deinit();
    link::LinkResult Connect(link::ConnectionRecord* record);
    link::LinkResult Disconnect(link::LinkHandle connection);
    link::LinkResult Enumerate(link::LinkHandle connection, std::uint32_t index, void* buffer16);
    link::LinkResult Open(link::OpenRecord* record);
    link::LinkResult Close(link::LinkHandle device);
    link::LinkResult ReadButtons(link::LinkHandle device, std::uint32_t* buttons);
    link::LinkResult Update(link::LinkHandle device, const DeviceBitmap* bitmap, std::uint32_t priority);
    link::LinkResult SetDeviceFlag(link::LinkHandle device, std::uint32_t flag);

private:
    link::LinkResult Next(LinkEntry entry);
    void Record(std::string call) { calls_.push_back(std::move(call)); }

    std::map<LinkEntry, std::deque<link::LinkResult>> queued_;
    std::map<LinkEntry, link::LinkResult> defaults_;
    std::vector<std::string> calls_;
    std::uint32_t buttons_ = 0;
    TableAnswer tableAnswer_ = TableAnswer::Table;
    link::InterfaceTable holedTable_{};
    link::LinkHandle nextConnection_ = kFirstConnection;
    link::LinkHandle nextDevice_ = kFirstDevice;
    DeviceBitmap lastBitmap_{};
    link::ConnectionRecord lastConnect_{};
    std::wstring lastAppName_;
    link::OpenRecord lastOpen_{};
    bool enumerateBufferWasZero_ = false;
};

}  // namespace vareko::testing

// Defined in the test program and exported from it, so that the shared
// object, loaded with local symbols, still reaches the one instance.
extern "C" vareko::testing::ScriptedLibrary* VarekoScriptedLibrary();

// Whether the shared object at `path` is mapped into the process now.
bool IsLibraryLoaded(const char* path);
