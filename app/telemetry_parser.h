// Parses one telemetry datagram's text into the flight-data record.
// A pure function over (text, record): no sockets, no locale, no state.
#pragma once

#include "app/telemetry_sample.h"

namespace vareko {

// Matches text against the datagram template: the prefix "src=export.lua;",
// then "key=number;" for the 38 numbers and "key=word ;" for the three words
// (the last word's trailing blank and anything behind it are ignored).
// Parsing follows the C library's formatted input in the classic locale:
// literal characters must match exactly, numbers and words skip leading white
// space, and the blank in front of each ";" matches any run of white space,
// including none. Each field is stored as soon as it is read; at the first
// mismatch parsing stops, so later fields keep their previous values.
//
// A word is the whole run of non-white-space characters at its place. A word
// longer than its field (3, 7 or 19 characters) is cut to the field's
// capacity and NUL-terminated; the rest of the word is still consumed, so
// parsing goes on after it exactly as it would for a word that fits.
//
// Returns the number of fields stored (0 to 41); as fields are read in
// order, they are the first that many keys of kTelemetryKeys.
// text must be NUL-terminated.
int ParseTelemetry(const char* text, TelemetrySample& sample);

}  // namespace vareko
