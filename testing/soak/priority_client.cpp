// The priority client over the library's function table.
#include "testing/soak/priority_client.h"

#include <dlfcn.h>

namespace vareko::soak {
namespace {

DeviceBitmap MakeCheckerboard() {
    DeviceBitmap bitmap{};
    bitmap.format = kDeviceBitmapFormat;
    for (int y = 0; y < kDisplayHeight; ++y) {
        for (int x = 0; x < kDisplayWidth; ++x) {
            bitmap.pixels[y * kDisplayWidth + x] = ((x / 4 + y / 4) % 2) ? 255 : 0;
        }
    }
    return bitmap;
}

}  // namespace

PriorityClient::PriorityClient() = default;

PriorityClient::~PriorityClient() {
    Leave();
    if (table) table->deinit();
    if (module) dlclose(module);
}

const DeviceBitmap& PriorityClient::Picture() {
    static const DeviceBitmap picture = MakeCheckerboard();
    return picture;
}

std::string PriorityClient::Load(const std::string& libraryPath) {
    module = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) return std::string("dlopen: ") + dlerror();
    const auto getInterface = reinterpret_cast<link::GetInterfaceFunction>(dlsym(module, link::kGetInterfaceExport));
    if (!getInterface) return "no GetInterface export";
    table = getInterface(link::kInterfaceVersion);
    if (!table) return "GetInterface returned no table";
    if (table->init() != link::kLinkOk) return "library initialization failed";
    return {};
}

std::string PriorityClient::Arrive() {
    link::ConnectionRecord record{L"vareko-soak priority client", 0, 0, nullptr, nullptr, link::kNoHandle};
    if (const link::LinkResult r = table->connect(&record); r != link::kLinkOk) {
        return "connect returned " + std::to_string(r);
    }
    connection = record.connection;
    std::uint8_t buffer[link::kEnumerateBufferBytes] = {};
    if (const link::LinkResult r = table->enumerate(connection, 0, buffer); r != link::kLinkOk) {
        Leave();
        return "enumerate returned " + std::to_string(r);
    }
    link::OpenRecord open{connection, 0, 0, 0, link::kNoHandle};
    if (const link::LinkResult r = table->open(&open); r != link::kLinkOk) {
        Leave();
        return "open returned " + std::to_string(r);
    }
    device = open.device;
    return {};
}

link::LinkResult PriorityClient::ShowFrame(std::uint32_t priority) {
    const link::LinkResult r = table->update(device, &Picture(), priority);
    std::uint32_t buttons = 0;
    static_cast<void>(table->readButtons(device, &buttons));
    return r;
}

void PriorityClient::Leave() {
    if (!table) return;
    if (device != link::kNoHandle) table->close(device);
    if (connection != link::kNoHandle) table->disconnect(connection);
    device = connection = link::kNoHandle;
}

}  // namespace vareko::soak
