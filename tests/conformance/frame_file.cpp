// Reading, writing and comparing reference frames.
#include "tests/conformance/frame_file.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace vareko::conformance {

std::optional<Frame> ReadFrame(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    Frame frame;
    std::string line;
    while (std::getline(in, line)) {
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        frame.push_back(line);
    }
    return frame;
}

bool WriteFrame(const std::string& path, const Frame& frame) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const std::string& row : frame) {
        out << row << '\n';
    }
    return static_cast<bool>(out.flush());
}

std::string DescribeDifference(const Frame& expected, const Frame& actual) {
    constexpr int kRowsShown = 6;
    std::ostringstream text;
    if (expected.size() != actual.size()) {
        text << "row count " << expected.size() << " expected, " << actual.size() << " drawn\n";
    }
    int shown = 0;
    std::size_t rows = std::min(expected.size(), actual.size());
    for (std::size_t y = 0; y < rows && shown < kRowsShown; ++y) {
        if (expected[y] == actual[y]) {
            continue;
        }
        std::string marks(std::max(expected[y].size(), actual[y].size()), ' ');
        for (std::size_t x = 0; x < marks.size(); ++x) {
            bool same = x < expected[y].size() && x < actual[y].size() &&
                        expected[y][x] == actual[y][x];
            marks[x] = same ? ' ' : '^';
        }
        text << "row " << y << "\n  expected " << expected[y] << "\n  drawn    " << actual[y]
             << "\n           " << marks << "\n";
        ++shown;
    }
    return text.str();
}

}  // namespace vareko::conformance
