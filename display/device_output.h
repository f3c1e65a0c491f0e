// DeviceOutput: the page through which the display manager reaches the
// display device. It keeps candidate pages and a current one, replaces an
// expired page, (re)connects and opens the device when missing, sends the
// current page's bitmap through the device link and turns changes of the
// soft-button word into button notifications to the current page.
// Depends on the toolkit's PageBase and on the device link.
#pragma once

#include <vector>

#include "display/devicelink/link_interface.h"
#include "platform/win32.h"
#include "toolkit/page_base.h"

namespace vareko {

class DeviceOutput : public PageBase {
public:
    static constexpr DWORD kDefaultPriority = 128;

    DeviceOutput();
    ~DeviceOutput() override;
    DeviceOutput(const DeviceOutput&) = delete;
    DeviceOutput& operator=(const DeviceOutput&) = delete;

    // Open with no connection settings.
    HRESULT Initialize() override;
    // Closes device and connection and gives back the library reference.
    // The owner calls it before destroying the output.
    void Shutdown() override;
    // Renders the current page and sends it; reads the buttons back.
    HRESULT Render() override;
    // Page expiry, then one connection attempt while no device is open.
    void Advance(DWORD now) override;
    void OnButtonDown(DWORD button) override;
    void OnButtonUp(DWORD button) override;

    virtual void OnPageExpired(PageBase* page);
    virtual void CloseDevice(int handle);
    virtual void CloseConnection(int handle);

    // Makes the output's own blank surface, initialises every page, takes a
    // library reference unless it holds one, and stores the connection
    // settings (`source` may be null). Does not connect: Advance does.
    HRESULT Open(const link::ConnectionRecord* source);

    void AddPage(PageBase* page);
    void PinPage(PageBase* page);
    void UnpinPage();
    BOOL IsPagePinned() const { return pagePinned; }
    void SetCurrentPage(PageBase* page);
    PageBase* GetCurrentPage() const { return currentPage; }
    BOOL IsDeviceOpen() const { return device != link::kNoHandle; }
    void SetPriority(DWORD value);
    DWORD GetPriority() const { return priority; }
    void SetDeviceFlag(DWORD value);

private:
    void Connect();
    void Disconnect();
    void HandleResult(link::LinkResult result);
    void PollButtons();
    void ReleaseHeldButtons();
    void SendBlank();

    PageBase* currentPage = nullptr;
    std::vector<PageBase*> pages;
    link::LinkHandle connection = link::kNoHandle;
    link::LinkHandle device = link::kNoHandle;
    DWORD priority = kDefaultPriority;
    BOOL pagePinned = FALSE;
    std::uint32_t lastButtons = 0;
    DWORD deviceFlag = 0;
    link::ConnectionRecord record{};
    // Whether this output holds one of the library references counted by the
    // process-wide open count, so it never gives back one it did not take.
    bool holdsLibrary = false;
};

}  // namespace vareko
