// Reference parsing with the C library's sscanf and the datagram template,
// for differential tests and the fuzz target. Valid in the "C" locale on the
// GNU C library, whose "%f" rules the parser reproduces.
#pragma once

#include <cstddef>

#include "app/telemetry_sample.h"

namespace vareko::testing {

// Texts the references accept: one receive buffer's worth.
inline constexpr std::size_t kReferenceMaxText = 1515;

// The template with unbounded "%s" into buffers larger than any accepted
// text, each word then cut to its field. This is the parser's documented
// behaviour: whole words are consumed, overlong ones are stored cut.
// Returns the number of fields stored, as sscanf counts them (never < 0).
int ReferenceParse(const char* text, TelemetrySample& sample);

// The template with bounded words ("%3s", "%7s", "%19s"). Equal to
// ReferenceParse whenever every word read fits its field.
void BoundedReferenceParse(const char* text, TelemetrySample& sample);

// True when ReferenceParse would read no word longer than its field.
bool WordsFit(const char* text, const TelemetrySample& before);

}  // namespace vareko::testing
