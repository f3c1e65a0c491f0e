// Text measures and glyph frames in the shared face. Every call goes through
// the public text entry points (CreateFontIndirectW, GetTextMetricsW,
// GetTextExtentPoint32W, DrawTextExW), so the same code runs on both
// platforms.
#include "tests/conformance/text_scenes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string_view>

#include "testing/support/canvas.h"

namespace vareko::conformance {
namespace {

struct TextFont {
    const char* label;
    LONG height;  // LOGFONT height: negative for the character height
    LONG weight;
};

// The toolkit's three size classes (7, 8 and 12 points at 96 dpi, the large
// one bold), the large one also regular, and a cell height.
constexpr TextFont kFonts[] = {
    {"-9", -9, FW_NORMAL},   {"-11", -11, FW_NORMAL}, {"-16", -16, FW_NORMAL},
    {"-16 bold", -16, FW_BOLD}, {"+13", 13, FW_NORMAL},
};

// The dashboard's labels, titles and values, then the harder cases.
constexpr const wchar_t* kTexts[] = {
    L"Vitesse:",
    L"Altitude:",
    L"Cap:",
    L"Reserve:",
    L"Moteur  GAUCHE      DROIT",
    L"RPM:",
    L"Temp:",
    L"WARNING LOW PETROL ",
    L"VAREKO v1.2   Rin_Tavosh",
    L"-1234",
    L"98765",
    L"",
    L" ",
    L"   two  blanks   ",
    L"Anticonstitutionnellement",
    L"La vitesse est tr\u00e8s \u00e9lev\u00e9e \u00e0 l'approche",
    L"a\tb\tc",
    L"R&D",
    L"R&&D",
    L"&",
    L"end&",
    L"one\r\ntwo\nthree\rfour",
    L"\u00c9\u00c8\u00c0\u00c7 \u00e7\u00e9\u00e8\u00e0 jQ,;",
};

// Widths at which texts are wrapped: the dashboard's boxes and a narrow one.
constexpr int kWrapWidths[] = {30, 50, 80};

class ScopedFont {
public:
    ScopedFont(HDC dc, const TextFont& font) : dc_(dc) {
        LOGFONTW logFont{};
        logFont.lfHeight = font.height;
        logFont.lfWeight = font.weight;
        logFont.lfQuality = NONANTIALIASED_QUALITY;
        std::wcsncpy(logFont.lfFaceName, kSharedFace, LF_FACESIZE - 1);
        font_ = CreateFontIndirectW(&logFont);
        previous_ = SelectObject(dc, font_);
    }
    ~ScopedFont() {
        SelectObject(dc_, previous_);
        DeleteObject(font_);
    }
    ScopedFont(const ScopedFont&) = delete;
    ScopedFont& operator=(const ScopedFont&) = delete;

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ previous_;
};

// The text as a readable, ASCII-only key: control and non-ASCII code units
// as escapes.
std::string Quoted(std::wstring_view text) {
    std::string out = "\"";
    for (wchar_t unit : text) {
        auto code = static_cast<unsigned>(unit) & 0xFFFFu;
        char escape[8];
        if (code == '\t') {
            out += "\\t";
        } else if (code == '\r') {
            out += "\\r";
        } else if (code == '\n') {
            out += "\\n";
        } else if (code == '"' || code == '\\') {
            out += '\\';
            out += static_cast<char>(code);
        } else if (code < 0x20 || code > 0x7E) {
            std::snprintf(escape, sizeof escape, "\\u%04x", code);
            out += escape;
        } else {
            out += static_cast<char>(code);
        }
    }
    return out + "\"";
}

std::string Numbers(std::initializer_list<long> values) {
    std::string out;
    for (long value : values) {
        if (!out.empty()) {
            out += ' ';
        }
        out += std::to_string(value);
    }
    return out;
}

struct Calc {
    RECT rect;
    int result;
};

Calc CalcRect(HDC dc, std::wstring_view text, int length, int width, UINT format,
              int leftMargin = 0, int rightMargin = 0) {
    std::wstring copy(text);
    DRAWTEXTPARAMS params{};
    params.cbSize = sizeof params;
    params.iLeftMargin = leftMargin;
    params.iRightMargin = rightMargin;
    Calc calc{{0, 0, width, 43}, 0};
    calc.result = DrawTextExW(dc, copy.data(), length, &calc.rect, format | DT_CALCRECT, &params);
    return calc;
}

std::string RectText(const Calc& calc) {
    return Numbers({calc.rect.left, calc.rect.top, calc.rect.right, calc.rect.bottom,
                    static_cast<long>(calc.result)});
}

// Where a wrapped text's lines begin: the line count of every prefix, as
// "count@prefix length" wherever the count changes. Prefixes that end inside
// a word show where that word would be cut; those that end after it show
// whether it moved to the next line.
std::string LineCounts(HDC dc, std::wstring_view text, int width, UINT format, LONG lineHeight) {
    std::string out;
    long previous = 0;
    for (std::size_t n = 1; n <= text.size(); ++n) {
        Calc calc = CalcRect(dc, text, static_cast<int>(n), width, format);
        long count = lineHeight > 0 ? (calc.rect.bottom - calc.rect.top) / lineHeight : -1;
        if (count != previous) {
            if (!out.empty()) {
                out += ' ';
            }
            out += std::to_string(count) + "@" + std::to_string(n);
            previous = count;
        }
    }
    return out.empty() ? "none" : out;
}

void Add(std::vector<TextMeasure>& lines, TextMeasure::Kind kind, const std::string& font,
         std::wstring_view text, const std::string& subject, const std::string& what,
         const std::string& value, int wrapWidth = 0) {
    lines.push_back({kind, font, std::wstring(text), wrapWidth,
                     font + " | " + subject + " | " + what + " = " + value});
}

void MeasureFont(HDC dc, const TextFont& font, std::vector<TextMeasure>& lines) {
    using Kind = TextMeasure::Kind;
    ScopedFont scoped(dc, font);
    const std::string label = font.label;
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    Add(lines, Kind::Metrics, label, L"", "metrics", "height ascent descent internal-leading",
        Numbers({metrics.tmHeight, metrics.tmAscent, metrics.tmDescent,
                 metrics.tmInternalLeading}));
    Add(lines, Kind::Metrics, label, L"", "metrics", "average-width maximum-width",
        Numbers({metrics.tmAveCharWidth, metrics.tmMaxCharWidth}));
    // Advances of printable ASCII and the accented letters the texts use, in
    // rows of 16 code units.
    std::wstring alphabet;
    for (wchar_t c = 0x20; c < 0x7F; ++c) {
        alphabet += c;
    }
    alphabet += L"\u00c0\u00c7\u00c8\u00c9\u00e0\u00e7\u00e8\u00e9";
    for (std::size_t row = 0; row < alphabet.size(); row += 16) {
        std::wstring_view units = std::wstring_view(alphabet).substr(row, 16);
        std::string advances;
        for (wchar_t unit : units) {
            SIZE size{};
            GetTextExtentPoint32W(dc, &unit, 1, &size);
            advances += (advances.empty() ? "" : " ") + std::to_string(size.cx);
        }
        Add(lines, Kind::Advances, label, units, Quoted(units), "advances", advances);
    }
    for (const wchar_t* text : kTexts) {
        const std::wstring_view view(text);
        const std::string subject = Quoted(view);
        const int length = static_cast<int>(view.size());
        SIZE extent{};
        GetTextExtentPoint32W(dc, text, length, &extent);
        auto extentLine = [&](const std::string& what, const std::string& value) {
            Add(lines, Kind::Extent, label, view, subject, what, value);
        };
        extentLine("extent", Numbers({extent.cx, extent.cy}));
        extentLine("calc single", RectText(CalcRect(dc, view, length, 160, DT_NOPREFIX | DT_SINGLELINE)));
        extentLine("calc", RectText(CalcRect(dc, view, length, 160, DT_NOPREFIX)));
        extentLine("calc prefix", RectText(CalcRect(dc, view, length, 160, 0)));
        extentLine("calc centre", RectText(CalcRect(dc, view, length, 160, DT_NOPREFIX | DT_CENTER)));
        const UINT wrap = DT_NOPREFIX | DT_WORDBREAK;
        for (int width : kWrapWidths) {
            const std::string at = " " + std::to_string(width);
            Add(lines, Kind::Wrap, label, view, subject, "wrap" + at,
                RectText(CalcRect(dc, view, length, width, wrap)), width);
            Add(lines, Kind::Wrap, label, view, subject, "wrap lines" + at,
                LineCounts(dc, view, width, wrap, metrics.tmHeight), width);
        }
        Add(lines, Kind::Wrap, label, view, subject, "wrap margins 3 2 at 50",
            RectText(CalcRect(dc, view, length, 50, wrap, 3, 2)), 50 - 3 - 2);
    }
}

// Glyph frames: texts drawn white on black, transparent, with the flags the
// toolkit uses (left, centred, right, wrapped). Centred and right-aligned
// texts use code units whose advances agree, and wrapped ones words that fit,
// since the measures already cover those differences.
struct Placed {
    const wchar_t* text;
    RECT rect;
    UINT format;
};

void DrawPlaced(HDC dc, const TextFont& font, std::span<const Placed> placed) {
    ScopedFont scoped(dc, font);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    for (const Placed& item : placed) {
        std::wstring copy(item.text);
        RECT rect = item.rect;
        DRAWTEXTPARAMS params{};
        params.cbSize = sizeof params;
        DrawTextExW(dc, copy.data(), static_cast<int>(copy.size()), &rect, item.format, &params);
    }
}

constexpr UINT kLeft = DT_NOPREFIX;
constexpr UINT kWrap = DT_NOPREFIX | DT_WORDBREAK;

template <int Font>
void DashboardText(HDC dc) {
    const Placed placed[] = {
        {L"Vitesse:", {0, 0, 80, 20}, kLeft},
        {L"-1234", {38, 0, 118, 20}, kLeft},
        {L"Reserve:", {82, 0, 160, 20}, kLeft},
        {L"Altitude:", {0, 14, 80, 34}, kLeft},
        {L"98765", {45, 14, 125, 34}, DT_NOPREFIX | DT_CENTER},
        {L"Cap: 359", {0, 28, 80, 43}, kLeft},
        {L"-1234", {80, 28, 160, 43}, DT_NOPREFIX | DT_RIGHT},
    };
    DrawPlaced(dc, kFonts[Font], placed);
}

void WrappedText(HDC dc) {
    const Placed placed[] = {
        {L"La vitesse est tr\u00e8s \u00e9lev\u00e9e", {0, 0, 50, 43}, kWrap},
        {L"Cap au nord", {52, 0, 82, 43}, kWrap},
        {L"R&D && a\tb", {84, 0, 160, 14}, kWrap},
        {L"\u00c9\u00c8\u00c0\u00c7 jQ,;", {84, 14, 160, 28}, kLeft},
        {L"one\r\ntwo", {84, 28, 160, 43}, kLeft},
    };
    DrawPlaced(dc, kFonts[1], placed);
}

constexpr Scene kScenes[] = {
    {"text_dashboard_9", OnCanvas<DashboardText<0>>},
    {"text_dashboard_11", OnCanvas<DashboardText<1>>},
    {"text_dashboard_16_bold", OnCanvas<DashboardText<3>>},
    {"text_wrapped_11", OnCanvas<WrappedText>},
};

bool LitNear(const Frame& frame, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            int row = y + dy;
            int column = x + dx;
            if (row >= 0 && row < static_cast<int>(frame.size()) && column >= 0 &&
                column < static_cast<int>(frame[row].size()) && frame[row][column] == '#') {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

std::vector<TextMeasure> TextMeasures() {
    vareko::test::Canvas canvas(kSceneWidth, kSceneHeight);
    std::vector<TextMeasure> lines;
    for (const TextFont& font : kFonts) {
        MeasureFont(canvas.Dc(), font, lines);
    }
    return lines;
}

std::string MeasureKey(const std::string& line) {
    return line.substr(0, line.find(" = "));
}

std::vector<long> MeasureValues(const std::string& line) {
    std::vector<long> values;
    std::size_t at = line.find(" = ");
    if (at == std::string::npos) {
        return values;
    }
    const char* cursor = line.c_str() + at + 3;
    char* end = nullptr;
    for (long value = std::strtol(cursor, &end, 10); end != cursor;
         value = std::strtol(cursor, &end, 10)) {
        values.push_back(value);
        cursor = end;
    }
    return values;
}

long WidestWord(const std::string& font, std::wstring_view text) {
    vareko::test::Canvas canvas(8, 8);
    for (const TextFont& candidate : kFonts) {
        if (font != candidate.label) {
            continue;
        }
        ScopedFont scoped(canvas.Dc(), candidate);
        long widest = 0;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find_first_of(L" \t\r\n", start);
            if (end == std::wstring_view::npos) {
                end = text.size();
            }
            if (end > start) {
                SIZE size{};
                GetTextExtentPoint32W(canvas.Dc(), text.data() + start,
                                      static_cast<int>(end - start), &size);
                widest = std::max<long>(widest, size.cx);
            }
            start = end + 1;
        }
        return widest;
    }
    return 0;
}

std::span<const Scene> TextScenes() { return kScenes; }

std::string GlyphDifference(const Frame& reference, const Frame& drawn) {
    if (reference.size() != drawn.size()) {
        return "row count differs";
    }
    long lit = 0;
    long differing = 0;
    std::string stray;
    for (std::size_t y = 0; y < reference.size(); ++y) {
        if (reference[y].size() != drawn[y].size()) {
            return "row " + std::to_string(y) + " has another width";
        }
        for (std::size_t x = 0; x < reference[y].size(); ++x) {
            lit += reference[y][x] == '#' ? 1 : 0;
            if (reference[y][x] == drawn[y][x]) {
                continue;
            }
            ++differing;
            // The pixel lit on one side must be near a lit pixel of the other.
            const Frame& other = reference[y][x] == '#' ? drawn : reference;
            if (stray.empty() && !LitNear(other, static_cast<int>(x), static_cast<int>(y))) {
                stray = "pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                      ") has no counterpart within one pixel";
            }
        }
    }
    if (!stray.empty()) {
        return stray;
    }
    if (differing * 100 > lit * kGlyphTolerancePercent) {
        return std::to_string(differing) + " of " + std::to_string(lit) +
               " lit pixels differ, more than " + std::to_string(kGlyphTolerancePercent) + "%";
    }
    return {};
}

}  // namespace vareko::conformance
