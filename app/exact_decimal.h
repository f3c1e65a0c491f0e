// The quick conversion of the common telemetry number: a plain decimal
// ("1523.4172", "-0.25", "12") whose digits fit a double exactly. Anything
// else (an exponent, a hex prefix, many digits, inf/nan) is left to the full
// scanner in float_scan.cpp. Depends only on the standard library.
#pragma once

namespace vareko {

// Reads digits with at most one "." at cursor (no sign, no white space) when
// the numeral converts exactly in one step: at most 19 digits (so at most
// 10^19 as divisor, well within the exact powers up to 10^22) forming an
// integer mantissa of at most 2^53. Then
// mantissa / 10^k is one correctly rounded double division, and its rounding
// to float is correct unless the double lands exactly halfway between two
// floats, which is refused too. On success stores the float, moves cursor
// behind the numeral and returns true; otherwise returns false and leaves
// both unchanged, and the caller converts with the general path.
bool ScanExactDecimal(const char*& cursor, float& magnitude);

}  // namespace vareko
