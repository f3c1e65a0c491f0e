// The shape workloads drawn with cairo on its A8 and A1 image surfaces: the
// reference for our engine's fills, lines and blits. Aliased drawing, opaque
// white, the SOURCE operator, one path per shape, so that each call lights
// the pixels that the matching GDI call lights. Depends on cairo only.
#pragma once

#include <cairo.h>

#include "bench/raster/shapes.h"

namespace vareko::bench {

// An A8 or A1 image surface with a drawing context set up for aliased,
// opaque white drawing with the SOURCE operator.
class CairoTarget {
public:
    CairoTarget(cairo_format_t format, int width, int height);
    ~CairoTarget();
    CairoTarget(const CairoTarget&) = delete;
    CairoTarget& operator=(const CairoTarget&) = delete;

    bool IsValid() const;
    cairo_t* Context() const { return context; }
    cairo_surface_t* Surface() const { return surface; }
    bool Lit(int x, int y) const;
    // Every pixel unlit.
    void Clear();
    // Every third column lit, from column 0: a blit source.
    void Stripes();

private:
    cairo_format_t format;
    cairo_surface_t* surface;
    cairo_t* context;
};

void FillBoxesWhite(cairo_t* context);
void DrawLineSegments(cairo_t* context);
// Copies the shape's block of `source` onto the context's surface; the
// context keeps `source` as its source afterwards.
void CopyBlock(cairo_t* context, cairo_surface_t* source, const BlitShape& shape);

}  // namespace vareko::bench
