// GraphicsSurface: the off-screen picture of one display page, an 8-bit
// top-down DIB section with a two-level threshold colour table (indexes
// 0..128 black, 129..255 white), drawn through a memory DC and handed to the
// device as a DeviceBitmap. Depends on the platform layer only.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/win32.h"
#include "display/devicelink/device_bitmap.h"

namespace vareko {

class GraphicsSurface {
public:
    // A BITMAPINFO with its built-in entry plus 256 further colour entries.
    static constexpr std::size_t kBitmapInfoBytes = sizeof(BITMAPINFO) + 256 * sizeof(RGBQUAD);
    static_assert(kBitmapInfoBytes == 1068);

    GraphicsSurface() = default;
    virtual ~GraphicsSurface();
    GraphicsSurface(const GraphicsSurface&) = delete;
    GraphicsSurface& operator=(const GraphicsSurface&) = delete;

    // Builds the memory DC, header, DIB section and DeviceBitmap block,
    // releasing any earlier set first. Sizes the DeviceBitmap cannot hold
    // (width or height <= 0, width not a multiple of 4, more than 6,880
    // pixels) are refused with E_FAIL. On failure the surface is empty.
    HRESULT Create(int width, int height);
    // Releases everything Create built; safe to call any number of times.
    void Destroy();

    void BeginDraw();
    void Clear();
    void PlotPixel(int x, int y, bool on);
    void DrawLine(int x1, int y1, int x2, int y2);
    void FillRectangle(int x, int y, int cx, int cy);
    void DrawString(int x, int y, const WCHAR* text);
    void EndDraw();

    HDC GetMemoryDC() const { return memoryDC; }
    // The pixels: GetHeight() rows of GetWidth() bytes from the top; null
    // when there is no surface.
    std::uint8_t* GetPixels() const { return pixels; }
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    // Refreshes the block from the pixels and returns it; null when none.
    DeviceBitmap* GetDeviceBitmap();
    BITMAPINFO* GetBitmapInfo() { return reinterpret_cast<BITMAPINFO*>(bitmapInfo.get()); }
    HBITMAP GetBitmapHandle() const { return dibSection; }

private:
    int width = 0;
    int height = 0;
    std::unique_ptr<DeviceBitmap> deviceBitmap;
    std::unique_ptr<std::uint8_t[]> bitmapInfo;
    HDC memoryDC = nullptr;
    HBITMAP dibSection = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    std::uint8_t* pixels = nullptr;
};

}  // namespace vareko
