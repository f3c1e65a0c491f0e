// The checks over observed frames: recoveries counted in updates from the
// first datagram after the fault, frames going back, unknown frames, the
// priority client's frame winning; and the frame book's window.
#include <gtest/gtest.h>

#include <vector>

#include "testing/soak/panel_checks.h"

namespace vareko::soak {
namespace {

FrameName Program(std::uint64_t seq) { return {FrameKind::kProgram, seq}; }
const FrameName kBlank{FrameKind::kBlank, 0};
const FrameName kPriority{FrameKind::kPriorityClient, 0};
const FrameName kUnknown{};

TEST(PanelChecks, RecoveryCountsUpdatesFromTheFirstDatagramAfterTheFault) {
    struct Case {
        const char* what;
        std::vector<FrameName> after;  // frames observed after the fault was removed at datagram 10
        std::optional<std::uint64_t> updates;
    };
    const Case cases[] = {
        {"first current frame at once", {Program(10)}, 1},
        {"old frames and blanks first", {kBlank, Program(8), Program(9), Program(12)}, 3},
        {"late", {kBlank, Program(15)}, 6},
        {"only old frames", {Program(9), kBlank, Program(9)}, std::nullopt},
        {"another client's frame does not count", {kPriority}, std::nullopt},
    };
    for (const Case& c : cases) {
        PanelChecks checks;
        checks.Observe(Program(7), 0);
        checks.ExpectRecovery(10, 1000);
        std::uint64_t t = 1000;
        for (const FrameName& f : c.after) checks.Observe(f, t += 500);
        const std::optional<Recovery> r = checks.TakeRecovery();
        ASSERT_EQ(c.updates.has_value(), r.has_value()) << c.what;
        if (!r) {
            EXPECT_TRUE(checks.RecoveryPending()) << c.what;
            continue;
        }
        EXPECT_EQ(*c.updates, r->updates) << c.what;
        EXPECT_DOUBLE_EQ(0.5 * static_cast<double>(c.after.size()), r->ms) << c.what;
        EXPECT_FALSE(checks.TakeRecovery()) << c.what << ": taken once";
    }
}

TEST(PanelChecks, CountsUnknownFramesAndFramesGoingBack) {
    PanelChecks checks;
    for (const FrameName& f : {Program(0), Program(1), Program(3), kBlank, Program(3), Program(2), kUnknown, Program(4)}) {
        checks.Observe(f, 0);
    }
    EXPECT_EQ(8u, checks.frames);
    EXPECT_EQ(1u, checks.unknownFrames);
    EXPECT_EQ(1u, checks.framesGoingBack);
    EXPECT_EQ(4u, checks.lastProgramSeq);
}

TEST(PanelChecks, ProgramFramesCountAsFaultsOnlyAfterThePriorityClientWasShown) {
    PanelChecks checks;
    checks.BeginPriorityClient();
    checks.Observe(Program(5), 0);  // before its first frame reached the panel
    checks.Observe(kPriority, 0);
    checks.Observe(Program(6), 0);
    EXPECT_TRUE(checks.EndPriorityClient());
    checks.Observe(Program(7), 0);
    EXPECT_EQ(1u, checks.programOverPriorityClient);

    checks.BeginPriorityClient();
    checks.Observe(Program(8), 0);
    EXPECT_FALSE(checks.EndPriorityClient()) << "never shown";
}

TEST(FrameBook, ForgetsDatagramsOutsideItsWindowButNotSpecialsOrRepeatedPictures) {
    FrameBook book;
    book.AddSpecial(FrameKind::kBlank, 1);
    book.AddDatagram(1, 100);  // drawn again later
    book.AddDatagram(2, 200);
    for (std::uint64_t seq = 3; seq < FrameBook::kWindow + 3; ++seq) {
        book.AddDatagram(seq, seq == FrameBook::kWindow ? 100 : 1000 + seq);
    }
    EXPECT_EQ(FrameKind::kUnknown, book.Name(200).kind);
    EXPECT_EQ(FrameKind::kBlank, book.Name(1).kind);
    EXPECT_EQ(FrameBook::kWindow, book.Name(100).seq);
    EXPECT_EQ(FrameBook::kWindow + 2, book.Name(1000 + FrameBook::kWindow + 2).seq);
}

}  // namespace
}  // namespace vareko::soak
