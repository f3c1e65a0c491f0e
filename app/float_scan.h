// Reads one number the way the C library's formatted input reads a "%f"
// conversion in the classic locale, without depending on the process locale.
// Used by the telemetry parser; depends only on the standard library.
#pragma once

namespace vareko {

// Skips leading white space, then reads a number at cursor: an optional sign
// followed by a decimal or "0x" hexadecimal numeral (optional "." and
// exponent), "inf", "infinity" or "nan" (any case). "." is always the decimal
// point. Like the C library, it consumes the longest run that is or could
// begin a number ("1e+" is consumed whole and reads as 1).
// On success stores the value rounded to single precision, moves cursor
// behind the consumed text and returns true; otherwise returns false and
// leaves cursor and value unchanged. cursor must point into a NUL-terminated
// text.
bool ScanFloat(const char*& cursor, float& value);

}  // namespace vareko
