// UTF-8 text cut on a character boundary.
#include "tools/display-service/protocol/utf8_cut.h"

#include <cassert>

namespace vareko::displayservice {
namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string CutAtCharacter(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return std::string(text);
    assert(maxBytes >= kCutMark.size());
    std::size_t keep = maxBytes - kCutMark.size();
    // A continuation byte at the cut would leave the character before it
    // without its last bytes: move the cut back to that character's start.
    while (keep > 0 && IsContinuationByte(text[keep])) --keep;
    std::string out(text.substr(0, keep));
    out += kCutMark;
    return out;
}

}  // namespace vareko::displayservice
