// Fuzz target: any bytes as a picture file, loaded as a bitmap (plain and
// monochrome) and as an icon, and whatever loads is drawn into a small DC.
// The loader reads files only, so each input is written to a scratch file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/win32.h"

namespace {

std::wstring ScratchPath() {
    std::string path = "/tmp/vareko-fuzz-picture-" + std::to_string(getpid());
    return std::wstring(path.begin(), path.end());
}

void DrawBitmap(HDC target, HBITMAP bitmap) {
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(source, bitmap);
    BitBlt(target, 0, 0, 40, 20, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::wstring path = ScratchPath();
    static const std::string narrow(path.begin(), path.end());
    std::FILE* file = std::fopen(narrow.c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    if (size > 0) {
        std::fwrite(data, 1, size, file);
    }
    std::fclose(file);

    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{40, 40, -20, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP canvas = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, canvas);

    for (UINT flags : {0u, static_cast<UINT>(LR_MONOCHROME | LR_CREATEDIBSECTION)}) {
        if (HANDLE bitmap = LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | flags)) {
            DrawBitmap(dc, static_cast<HBITMAP>(bitmap));
            DeleteObject(bitmap);
        }
    }
    if (HANDLE icon = LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 16, 16, LR_LOADFROMFILE)) {
        DrawIconEx(dc, 3, 2, static_cast<HICON>(icon), 0, 0, 0, nullptr, DI_NORMAL);
        DrawIconEx(dc, -5, -5, static_cast<HICON>(icon), 37, 9, 0, nullptr, DI_NORMAL);
        DestroyIcon(static_cast<HICON>(icon));
    }

    SelectObject(dc, previous);
    DeleteObject(canvas);
    DeleteDC(dc);
    return 0;
}
