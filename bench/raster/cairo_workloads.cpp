// cairo versions of the shape workloads. Coordinates of lines sit on pixel
// centres (+0.5) with a width of 1 and butt caps, so that an aliased stroke
// covers one pixel per step and leaves out the end point, as a GDI line does.
#include "bench/raster/cairo_workloads.h"

#include <bit>
#include <cstdint>

namespace vareko::bench {

CairoTarget::CairoTarget(cairo_format_t formatIn, int width, int height)
    : format(formatIn), surface(cairo_image_surface_create(formatIn, width, height)),
      context(cairo_create(surface)) {
    cairo_set_antialias(context, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(context, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(context, 1.0, 1.0, 1.0, 1.0);
    cairo_set_line_width(context, 1.0);
    cairo_set_line_cap(context, CAIRO_LINE_CAP_BUTT);
    Clear();
}

CairoTarget::~CairoTarget() {
    cairo_destroy(context);
    cairo_surface_destroy(surface);
}

bool CairoTarget::IsValid() const {
    return cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS &&
           cairo_status(context) == CAIRO_STATUS_SUCCESS;
}

bool CairoTarget::Lit(int x, int y) const {
    cairo_surface_flush(surface);
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    if (format == CAIRO_FORMAT_A8) {
        return row[x] >= 128;
    }
    // A1 packs pixels into 32-bit words in the machine's order: on a
    // little-endian machine the leftmost pixel is the lowest bit of a byte.
    const auto word = reinterpret_cast<const std::uint32_t*>(row)[x >> 5];
    if constexpr (std::endian::native == std::endian::little) {
        return ((word >> (x & 31)) & 1u) != 0;
    } else {
        return ((word >> (31 - (x & 31))) & 1u) != 0;
    }
}

void CairoTarget::Clear() {
    cairo_save(context);
    cairo_set_source_rgba(context, 0.0, 0.0, 0.0, 0.0);
    cairo_paint(context);
    cairo_restore(context);
}

void CairoTarget::Stripes() {
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    Clear();
    for (int x = 0; x < width; x += 3) {
        cairo_rectangle(context, x, 0, 1, height);
    }
    cairo_fill(context);
}

void FillBoxesWhite(cairo_t* context) {
    for (const Box& box : FillBoxes()) {
        cairo_rectangle(context, box.x, box.y, box.cx, box.cy);
        cairo_fill(context);
    }
}

void DrawLineSegments(cairo_t* context) {
    for (const Segment& line : LineSegments()) {
        cairo_move_to(context, line.x1 + 0.5, line.y1 + 0.5);
        cairo_line_to(context, line.x2 + 0.5, line.y2 + 0.5);
        cairo_stroke(context);
    }
}

void CopyBlock(cairo_t* context, cairo_surface_t* source, const BlitShape& shape) {
    cairo_set_source_surface(context, source, shape.x - shape.sx, shape.y - shape.sy);
    cairo_rectangle(context, shape.x, shape.y, shape.cx, shape.cy);
    cairo_fill(context);
}

}  // namespace vareko::bench
