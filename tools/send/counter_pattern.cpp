// The counter pattern: shown figures step by amounts that survive the
// dashboard's truncation to an integer, words are zero-padded digits of the
// index, and the internal fuel stays between 1000 and 2000 kg, so it never
// falls below a fifth of any quantity the warning can be armed with.
#include "tools/send/counter_pattern.h"

#include <cstdio>

namespace vareko::send {
namespace {

float Cycle(std::uint64_t i, std::uint64_t period, double step) {
    return static_cast<float>(static_cast<double>(i % period) * step);
}

}  // namespace

void SampleCounter(std::uint64_t i, TelemetrySample& sample) {
    sample = TelemetrySample{};
    sample.asl = Cycle(i, 100000, 1.0);
    sample.agl = Cycle(i, 100000, 1.0);
    sample.vvi = Cycle(i, 1000, 1.0) - 500.0f;
    sample.ias = Cycle(i, 250, 1.0);        // shows steps of 3.6 km/h
    sample.hdg = Cycle(i, 300, 0.02);       // shows steps of about 1.15 degrees
    sample.tki = 1000.0f + Cycle(i, 1000, 1.0);
    sample.tke = Cycle(i, 1000, 1.0);
    sample.rpl = Cycle(i, 10000, 1.0);
    sample.rpr = Cycle(i, 10000, 2.0);
    sample.egl = Cycle(i, 1000, 1.0);
    sample.egr = Cycle(i, 1000, 1.0) + 1.0f;
    std::snprintf(sample.mod, sizeof sample.mod, "%03u", static_cast<unsigned>(i % 1000));
    std::snprintf(sample.sub, sizeof sample.sub, "%07u", static_cast<unsigned>(i % 10000000));
    std::snprintf(sample.acs, sizeof sample.acs, "N%010llu", static_cast<unsigned long long>(i));
}

}  // namespace vareko::send
