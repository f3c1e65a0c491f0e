// Datagram texts and records for the telemetry tests.
#include "testing/support/telemetry_text.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace vareko::testing {
namespace {

// The word up to its NUL, or the whole field if a fault left it unterminated.
std::string_view WordOf(const TelemetrySample& sample, const TelemetryKey& key) {
    const std::span<const char> field = key.constWord(sample);
    return {field.data(), strnlen(field.data(), field.size())};
}

}  // namespace

std::string DatagramText(const std::vector<std::string>& fields) {
    std::string text(kTelemetryPrefix);
    for (std::size_t i = 0; i < fields.size() && i < kTelemetryKeys.size(); ++i) {
        const TelemetryKey& key = kTelemetryKeys[i];
        if (i > 0) {
            text += kTelemetryKeys[i - 1].kind == TelemetryKind::Word ? " ;" : ";";
        }
        text += key.name;
        text += '=';
        text += fields[i];
    }
    if (fields.size() >= kTelemetryKeys.size()) {
        text += " \n";
    }
    return text;
}

std::vector<std::string> WellFormedFields() {
    std::vector<std::string> fields;
    for (std::size_t i = 0; i < kTelemetryNumberCount; ++i) {
        fields.push_back(std::to_string(i + 1) + ".5");
    }
    fields.insert(fields.end(), {"F16", "NAV", "LOCKED"});
    return fields;
}

TelemetrySample PreviousSample() {
    TelemetrySample sample{};
    float value = -1.0F;
    for (const TelemetryKey& key : kTelemetryKeys) {
        if (key.kind == TelemetryKind::Number) {
            sample.*key.number = value;
            value -= 1.0F;
        }
    }
    std::strcpy(sample.mod, "old");
    std::strcpy(sample.sub, "oldsub");
    std::strcpy(sample.acs, "oldacs");
    return sample;
}

std::string DescribeDifferences(const TelemetrySample& actual, const TelemetrySample& expected) {
    std::string differences;
    for (const TelemetryKey& key : kTelemetryKeys) {
        char line[160];
        if (key.kind == TelemetryKind::Number) {
            const float a = actual.*key.number;
            const float e = expected.*key.number;
            if (std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(e)) {
                continue;
            }
            std::snprintf(line, sizeof(line), "%s: %a (0x%08x), expected %a (0x%08x)\n",
                          std::string(key.name).c_str(), static_cast<double>(a),
                          std::bit_cast<std::uint32_t>(a), static_cast<double>(e),
                          std::bit_cast<std::uint32_t>(e));
        } else {
            const std::string_view a = WordOf(actual, key);
            const std::string_view e = WordOf(expected, key);
            if (a == e) {
                continue;
            }
            std::snprintf(line, sizeof(line), "%s: \"%s\", expected \"%s\"\n",
                          std::string(key.name).c_str(), std::string(a).c_str(),
                          std::string(e).c_str());
        }
        differences += line;
    }
    return differences;
}

}  // namespace vareko::testing
