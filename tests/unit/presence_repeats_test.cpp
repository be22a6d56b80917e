// What goes out again on a LAN that loses datagrams, and when.
#include "lan/presence_repeats.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pavlune {
namespace {

TEST(Schedule, StepsInOrderAcrossTheClocksWrapAfterADelayAndAfterAStartOver) {
    const struct {
        const char* name;
        Ticks start;
        std::vector<Ticks> offsets;
        Ticks busyUntil;    // nothing is looked at before this time (from the start)
        Ticks startOverAt;  // 0: never
        std::vector<Ticks> taken;
    } cases[] = {
        {"on time", 500, {0, 700, 1400, 3000}, 0, 0, {0, 700, 1400, 3000}},
        {"across the wrap of the clock", 0xFFFFFF00, {0, 700, 1400}, 0, 0, {0, 700, 1400}},
        {"late: the later steps keep their spacing", 0, {0, 700, 1400, 3000}, 1000, 0, {1000, 1700, 2400, 4000}},
        {"a newer status: the older repeats are forgotten", 0, {1000, 3000}, 0, 1500, {1000, 2500, 4500}},
    };
    for (const auto& c : cases) {
        Schedule schedule;
        schedule.Start(c.start, c.offsets);
        std::vector<Ticks> taken;
        for (Ticks t = c.busyUntil; t <= 10000; ++t) {
            if (c.startOverAt != 0 && t == c.startOverAt) schedule.Start(c.start + t, c.offsets);
            if (schedule.TakeDue(c.start + t)) taken.push_back(t);
        }
        EXPECT_EQ(taken, c.taken) << c.name;
    }
}

TEST(Repeats, AStatusAgainAfterAboutOneAndThreeSecondsARefreshAsksOverAboutOneAndAHalf) {
    for (std::uint32_t seed = 1; seed < 200; ++seed) {
        Jitter jitter(seed);
        const std::vector<Ticks> status = StatusRepeatOffsets(jitter), round = RefreshRoundOffsets(jitter);
        EXPECT_TRUE(status.size() == 2 && status[0] >= 1000 && status[0] < 1250 && status[1] >= 3000 &&
                    status[1] < 3250) << seed;
        EXPECT_TRUE(round.size() == kRefreshRoundEnd + 1 && round[0] == 0 && round[1] >= 600 &&
                    round[2] - round[1] >= 600 && round[2] <= 1600 && round[kRefreshRoundEnd] == 3000) << seed;
    }
}

// A PC hears a Refresh round's requests (some of them, several rounds, or a
// burst) and answers in rounds of its own.
TEST(AnswerRounds, ARefreshIsAnsweredAtMostTwiceAndBeforeItEnds) {
    std::vector<Ticks> burst(1000);
    for (Ticks t = 0; t < burst.size(); ++t) burst[t] = t;
    const struct {
        const char* name;
        std::vector<Ticks> heard;  // when requests arrive
        std::size_t answers;
        std::size_t rows = 0;  // in the table: a large one spreads the answers
        std::vector<Ticks> others = {};  // another PC's Refresh
    } cases[] = {
        {"all three of a Refresh", {0, 750, 1500}, 2},
        {"only the last: both answers before the round ends", {1500}, 2},
        {"only the last, 1,000 rows", {1600}, 2, 1000},
        {"the last two", {750, 1500}, 2},
        {"two Refreshes 2.5 s apart", {0, 750, 1500, 2500, 3250, 4000}, 4},
        {"another inside the round: one answer booked for it", {0, 750, 1500}, 3, 0, {100, 800, 1500}},
        {"another after its answers: a round of its own", {0, 750, 1500}, 4, 0, {1250, 1950, 2650}},
        {"a burst of 1,000 within a second", burst, 2},
        {"a burst of 1,000 within a second, 10,000 rows", burst, 2, 10000},
    };
    std::vector<Ticks> firstAnswers;  // of the Refreshes answered by a table of 1,000 rows
    for (std::uint32_t seed = 1; seed < 50; ++seed) {
        for (const auto& c : cases) {
            Jitter jitter(seed);
            AnswerRounds rounds;
            std::vector<Ticks> answered;
            for (Ticks t = 0, next = 0, other = 0; t < 10000; ++t) {
                for (; next < c.heard.size() && c.heard[next] == t; ++next) rounds.Heard(t, jitter, c.rows);
                for (; other < c.others.size() && c.others[other] == t; ++other) rounds.Heard(t, jitter, c.rows, "B");
                if (rounds.TakeDue(t)) answered.push_back(t);
            }
            EXPECT_EQ(answered.size(), c.answers) << c.name << ", seed " << seed;
            EXPECT_TRUE(c.heard.back() > 1600 || answered.back() < 2900) << c.name << " late, seed " << seed;
            if (c.rows == 1000) firstAnswers.push_back(answered.front() - c.heard.front());
        }
    }
    EXPECT_GT(*std::max_element(firstAnswers.begin(), firstAnswers.end()), 250u) << "1,000 PCs answered at once";
}

}  // namespace
}  // namespace pavlune
