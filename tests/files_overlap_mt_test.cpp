// tests/files_overlap_mt_test.cpp - one piece computed while the one before is used: every
// piece is used once and in order, and the first cancel or failure ends the work and is told.
#include <gtest/gtest.h>
#include <string>
#include "files/overlap.h"

TEST(ComputeWhileUsing, UsesEveryPieceInOrderAndStopsAtTheFirstCancelOrFailure) {
    constexpr int32_t Pieces = 6, Never = -1;
    const struct { int32_t CancelAt, FailAt; Outcome Code; const char* Used; } rows[] = {
        {Never, Never, Outcome::Done, "012345"},
        {0, Never, Outcome::Cancelled, ""},
        {3, Never, Outcome::Cancelled, "012"},   // the piece before is used while 3 computes
        {Never, 2, Outcome::Failed, "012"},      // seen once the next piece is computed
        {Never, 5, Outcome::Failed, "012345"},   // the last piece's failure too
    };
    for (const auto& r : rows) {
        std::string used;
        const PlatResult result = ComputeWhileUsing(
            Pieces, [&](int32_t i) { return i != r.CancelAt; },
            [&](int32_t i) {
                used += char('0' + i);
                return i == r.FailAt ? PlatFailed("piece") : PlatDone();
            });
        SCOPED_TRACE(testing::Message() << "cancel at " << r.CancelAt << ", fail at " << r.FailAt);
        EXPECT_EQ(result.Code, r.Code);
        EXPECT_STREQ(result.Reason, r.Code == Outcome::Failed ? "piece" : "");
        EXPECT_EQ(used, r.Used);
    }
}
