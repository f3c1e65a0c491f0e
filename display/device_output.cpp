// The device output's connection state machine: Closed (no connection),
// Connected (connection, no device) and Device open. Every display update
// while no device is open tries once to get one; a failed send or button
// read closes the device, and for every code but "device not connected" the
// connection too.
#include "display/device_output.h"

#include "display/devicelink/device_link.h"

namespace vareko {
namespace {

// Open outputs in the process: the first Open initialises the library and
// the last Shutdown releases it, whichever outputs make them.
volatile LONG openCount = 0;

constexpr DWORD kButtonBits[] = {1, 2, 4, 8};  // notified in this order
constexpr const wchar_t* kDefaultAppName = L"My App";

}  // namespace

DeviceOutput::DeviceOutput() = default;

// Neither disconnects nor releases the library: the owner calls Shutdown.
DeviceOutput::~DeviceOutput() = default;

HRESULT DeviceOutput::Initialize() { return Open(nullptr); }

HRESULT DeviceOutput::Open(const link::ConnectionRecord* source) {
    PageBase::Initialize();  // the blank surface; a failure only leaves nothing to send
    for (PageBase* page : pages) {
        page->Initialize();
    }
    if (!holdsLibrary) {
        if (InterlockedIncrement(&openCount) == 1 && link::LinkInit() != link::kLinkOk) {
            InterlockedDecrement(&openCount);
            return E_FAIL;
        }
        holdsLibrary = true;
    }
    record.appName = kDefaultAppName;
    record.connectFlag1 = 0;
    record.connectFlag2 = 0;
    record.connection = link::kNoHandle;
    if (source != nullptr) {
        record = *source;
    }
    return S_OK;
}

void DeviceOutput::Shutdown() {
    Disconnect();
    if (holdsLibrary) {
        holdsLibrary = false;
        if (InterlockedDecrement(&openCount) == 0) {
            link::LinkDeinit();
        }
    }
}

void DeviceOutput::Advance(DWORD now) {
    if (currentPage != nullptr) {
        currentPage->Advance(now);
        if (currentPage->IsExpired()) {
            currentPage = nullptr;
            OnPageExpired(nullptr);
            for (PageBase* page : pages) {
                if (!page->IsExpired()) {
                    SetCurrentPage(page);
                    break;
                }
            }
            if (currentPage == nullptr) {
                SendBlank();
            }
        }
    }
    if (device == link::kNoHandle) {
        Connect();
    }
}

HRESULT DeviceOutput::Render() {
    DWORD sendPriority = 0;
    if (currentPage != nullptr) {
        currentPage->Render();
        sendPriority = priority;
    }
    if (device == link::kNoHandle || sendPriority == 0) {
        return S_OK;  // nothing to send, and so no buttons to read
    }
    const DeviceBitmap* frame = currentPage->GetDeviceBitmap();
    if (frame != nullptr) {
        HandleResult(link::LinkUpdate(device, frame, sendPriority));
        PollButtons();
    }
    return S_OK;
}

void DeviceOutput::OnButtonDown(DWORD button) {
    if (currentPage != nullptr) {
        currentPage->OnButtonDown(button);
    }
}

void DeviceOutput::OnButtonUp(DWORD button) {
    if (currentPage != nullptr) {
        currentPage->OnButtonUp(button);
    }
}

void DeviceOutput::OnPageExpired(PageBase* /*page*/) { UnpinPage(); }

void DeviceOutput::CloseDevice(int /*handle*/) {
    if (device != link::kNoHandle) {
        link::LinkClose(device);
        device = link::kNoHandle;
    }
}

void DeviceOutput::CloseConnection(int /*handle*/) {
    if (connection != link::kNoHandle) {
        link::LinkDisconnect(connection);
        connection = link::kNoHandle;
    }
}

void DeviceOutput::AddPage(PageBase* page) { pages.push_back(page); }

void DeviceOutput::PinPage(PageBase* page) {
    if (!pagePinned) {
        currentPage = page;
        pagePinned = TRUE;
    }
}

void DeviceOutput::UnpinPage() {
    pagePinned = FALSE;
    currentPage = nullptr;
}

void DeviceOutput::SetCurrentPage(PageBase* page) {
    if (!pagePinned) {
        currentPage = page;
    }
}

void DeviceOutput::SetPriority(DWORD value) {
    priority = value;
    if (value == 0) {
        SendBlank();
    }
}

void DeviceOutput::SetDeviceFlag(DWORD value) {
    deviceFlag = value;
    if (device != link::kNoHandle) {
        link::LinkSetDeviceFlag(device, value);
    }
}

void DeviceOutput::Connect() {
    if (connection == link::kNoHandle) {
        if (link::LinkConnect(&record) != link::kLinkOk) {
            return;  // tried again at the next Advance
        }
        connection = record.connection;
    }
    unsigned char buffer[link::kEnumerateBufferBytes] = {};
    link::LinkResult found = link::LinkEnumerate(connection, 0, buffer);
    if (found == link::kLinkNoMoreItems) {
        return;  // no device yet; the connection stays
    }
    if (found != link::kLinkOk) {
        Disconnect();
        return;
    }
    link::OpenRecord openRecord{connection, 0, 0, 0, 0};
    if (link::LinkOpen(&openRecord) != link::kLinkOk) {
        return;
    }
    device = openRecord.device;
    lastButtons = 0;
    SetDeviceFlag(deviceFlag);
}

void DeviceOutput::Disconnect() {
    CloseDevice(device);
    CloseConnection(connection);
}

void DeviceOutput::HandleResult(link::LinkResult result) {
    if (result == link::kLinkOk) {
        return;
    }
    CloseDevice(device);
    if (result != link::kLinkDeviceNotConnected) {
        CloseConnection(connection);
    }
    // The device is gone, so no later poll can see these buttons let go.
    ReleaseHeldButtons();
}

void DeviceOutput::PollButtons() {
    if (device == link::kNoHandle) {
        return;
    }
    std::uint32_t word = 0;  // the library's 32-bit button word
    link::LinkResult result = link::LinkReadButtons(device, &word);
    if (result != link::kLinkOk) {
        HandleResult(result);  // closes the device and releases what was held
        return;
    }
    if (word == lastButtons) {
        return;
    }
    for (DWORD button : kButtonBits) {
        bool wasDown = (lastButtons & button) != 0;
        bool isDown = (word & button) != 0;
        if (wasDown && !isDown) {
            OnButtonUp(button);
        } else if (!wasDown && isDown) {
            OnButtonDown(button);
        }
    }
    lastButtons = word;
}

void DeviceOutput::ReleaseHeldButtons() {
    for (DWORD button : kButtonBits) {
        if ((lastButtons & button) != 0) {
            OnButtonUp(button);
        }
    }
    lastButtons = 0;
}

void DeviceOutput::SendBlank() {
    if (device == link::kNoHandle) {
        return;
    }
    if (const DeviceBitmap* blank = GetDeviceBitmap()) {
        link::LinkUpdate(device, blank, 0);
    }
}

}  // namespace vareko
