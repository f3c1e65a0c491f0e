// The datagram template written out for sscanf, independent of the key table.
#include "testing/support/scanf_reference.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace vareko::testing {
namespace {

#define VAREKO_NUMBERS_TEMPLATE                                                                   \
    "src=export.lua;asl=%f;agl=%f;mbr=%f;vvi=%f;aoa=%f;bal=%f;pit=%f;bnk=%f;yaw=%f;rpi=%f;rbk=%f;" \
    "mch=%f;ias=%f;tas=%f;ras=%f;glo=%f;noz=%f;tki=%f;tke=%f;flw=%f;rpl=%f;rpr=%f;egl=%f;egr=%f;"  \
    "lnd=%f;brk=%f;epu=%f;oil=%f;chf=%f;flr=%f;loc=%f;gds=%f;crs=%f;rmi=%f;dis=%f;bea=%f;hdg=%f;"  \
    "ded=%f;"

#define VAREKO_NUMBER_ARGUMENTS(s)                                                              \
    &(s).asl, &(s).agl, &(s).mbr, &(s).vvi, &(s).aoa, &(s).bal, &(s).pit, &(s).bnk, &(s).yaw,  \
        &(s).rpi, &(s).rbk, &(s).mch, &(s).ias, &(s).tas, &(s).ras, &(s).glo, &(s).noz,       \
        &(s).tki, &(s).tke, &(s).flw, &(s).rpl, &(s).rpr, &(s).egl, &(s).egr, &(s).lnd,       \
        &(s).brk, &(s).epu, &(s).oil, &(s).chf, &(s).flr, &(s).loc, &(s).gds, &(s).crs,       \
        &(s).rmi, &(s).dis, &(s).bea, &(s).hdg, &(s).ded

// Words read without a bound land here; no accepted text can overflow them.
struct WideWords {
    char mod[kReferenceMaxText + 1];
    char sub[kReferenceMaxText + 1];
    char acs[kReferenceMaxText + 1];
};

WideWords Widen(const TelemetrySample& sample) {
    WideWords words{};
    std::strcpy(words.mod, sample.mod);
    std::strcpy(words.sub, sample.sub);
    std::strcpy(words.acs, sample.acs);
    return words;
}

void Cut(const char* word, char* field, std::size_t capacity) {
    const std::size_t kept = std::min(std::strlen(word), capacity - 1);
    std::memcpy(field, word, kept);
    field[kept] = '\0';
}

int ScanWide(const char* text, TelemetrySample& sample, WideWords& words) {
    // sscanf reports EOF when the text ends before the first conversion.
    return std::max(0, std::sscanf(text, VAREKO_NUMBERS_TEMPLATE "mod=%s ;sub=%s ;acs=%s \n",
                VAREKO_NUMBER_ARGUMENTS(sample), words.mod, words.sub, words.acs));
}

}  // namespace

int ReferenceParse(const char* text, TelemetrySample& sample) {
    if (std::strlen(text) > kReferenceMaxText) {
        std::abort();
    }
    WideWords words = Widen(sample);
    const int stored = ScanWide(text, sample, words);
    Cut(words.mod, sample.mod, sizeof(sample.mod));
    Cut(words.sub, sample.sub, sizeof(sample.sub));
    Cut(words.acs, sample.acs, sizeof(sample.acs));
    return stored;
}

void BoundedReferenceParse(const char* text, TelemetrySample& sample) {
    std::sscanf(text, VAREKO_NUMBERS_TEMPLATE "mod=%3s ;sub=%7s ;acs=%19s \n",
                VAREKO_NUMBER_ARGUMENTS(sample), sample.mod, sample.sub, sample.acs);
}

bool WordsFit(const char* text, const TelemetrySample& before) {
    TelemetrySample sample = before;
    WideWords words = Widen(before);
    ScanWide(text, sample, words);
    return std::strlen(words.mod) < sizeof(sample.mod) &&
           std::strlen(words.sub) < sizeof(sample.sub) &&
           std::strlen(words.acs) < sizeof(sample.acs);
}

#undef VAREKO_NUMBERS_TEMPLATE
#undef VAREKO_NUMBER_ARGUMENTS

}  // namespace vareko::testing
