// A program-like client for the browser test: loads the device library,
// shows a fixed test pattern and prints every change of the button word as
// "buttons N" on stdout. Exits when stdin closes or after kLifetimeMs.
//   pattern: pixel (x, y) is white when (x * 7 + y * 3) % 5 == 0 or it lies
//   on the panel's border.
#include <dlfcn.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "display/devicelink/link_interface.h"

namespace {

using namespace vareko;

constexpr int kLifetimeMs = 60000;
constexpr int kFrameIntervalMs = 20;

bool PatternWhite(int x, int y) {
    return (x * 7 + y * 3) % 5 == 0 || x == 0 || y == 0 || x == kDisplayWidth - 1 || y == kDisplayHeight - 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: browser_test_client LIBRARY\n");
        return 2;
    }
    void* lib = dlopen(argv[1], RTLD_NOW);
    auto get = lib ? reinterpret_cast<link::GetInterfaceFunction>(dlsym(lib, link::kGetInterfaceExport)) : nullptr;
    const link::InterfaceTable* t = get ? get(link::kInterfaceVersion) : nullptr;
    if (t == nullptr || t->init() != 0) return 1;
    DeviceBitmap frame;
    frame.format = kDeviceBitmapFormat;
    for (int y = 0; y < kDisplayHeight; ++y) {
        for (int x = 0; x < kDisplayWidth; ++x) frame.pixels[y * kDisplayWidth + x] = PatternWhite(x, y) ? 255 : 0;
    }
    link::ConnectionRecord record{L"browser test client", 0, 0, nullptr, nullptr, link::kNoHandle};
    link::LinkHandle device = link::kNoHandle;
    std::uint32_t last = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLifetimeMs);
    while (std::chrono::steady_clock::now() < end) {
        pollfd in{STDIN_FILENO, POLLIN, 0};
        if (poll(&in, 1, kFrameIntervalMs) > 0) {
            char c;
            if (read(STDIN_FILENO, &c, 1) <= 0) break;
        }
        // The same connect/open/update/read cycle the program runs.
        if (record.connection == link::kNoHandle && t->connect(&record) != 0) continue;
        if (device == link::kNoHandle) {
            std::uint8_t buffer[link::kEnumerateBufferBytes] = {};
            link::OpenRecord open{record.connection, 0, 0, 0, link::kNoHandle};
            if (t->enumerate(record.connection, 0, buffer) != 0 || t->open(&open) != 0) continue;
            device = open.device;
        }
        std::uint32_t word = 0;
        if (t->update(device, &frame, 128) != 0 || t->readButtons(device, &word) != 0) {
            t->close(device);
            t->disconnect(record.connection);
            device = record.connection = link::kNoHandle;
            continue;
        }
        if (word != last) {
            std::printf("buttons %u\n", word);
            std::fflush(stdout);
            last = word;
        }
    }
    t->deinit();
    return 0;
}
