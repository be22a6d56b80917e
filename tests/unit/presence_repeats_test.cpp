// What goes out again on a LAN that loses datagrams, and when.
#include "lan/presence_repeats.h"

#include <gtest/gtest.h>

namespace pavlune {
namespace {

// The times (from the start) at which a schedule's steps are taken when it
// is looked at every millisecond from the given time on.
std::vector<Ticks> TakenAt(Schedule& schedule, Ticks start, Ticks from = 0) {
    std::vector<Ticks> taken;
    for (Ticks t = from; t <= 10000; ++t) {
        if (schedule.TakeDue(start + t)) taken.push_back(t);
    }
    return taken;
}

TEST(Schedule, StepsInOrderAcrossTheClocksWrapAndAfterADelay) {
    struct Case {
        const char* name;
        Ticks start;
        std::vector<Ticks> offsets;
        Ticks busyUntil;  // nothing is looked at before this time
        std::vector<Ticks> taken;
    };
    const Case cases[] = {
        {"on time", 500, {0, 700, 1400, 3000}, 0, {0, 700, 1400, 3000}},
        {"across the wrap of the clock", 0xFFFFFF00, {0, 700, 1400}, 0, {0, 700, 1400}},
        {"late: the later steps keep their spacing", 0, {0, 700, 1400, 3000}, 1000, {1000, 1700, 2400, 4000}},
        {"nothing owed", 0, {}, 0, {}},
    };
    for (const Case& c : cases) {
        Schedule schedule;
        schedule.Start(c.start, c.offsets);
        EXPECT_EQ(TakenAt(schedule, c.start, c.busyUntil), c.taken) << c.name;
        EXPECT_FALSE(schedule.Running()) << c.name;
    }
}

TEST(Schedule, StartingOverForgetsWhatWasOwed) {
    Schedule schedule;
    schedule.Start(0, {1000, 3000});
    EXPECT_EQ(schedule.Wait(400), Ticks{600});
    schedule.Start(500, {1000, 3000});  // a newer status
    EXPECT_EQ(TakenAt(schedule, 500), (std::vector<Ticks>{1000, 3000}));
    schedule.Start(0, {1000});
    schedule.Stop();
    EXPECT_EQ(schedule.Wait(2000), std::nullopt);
}

TEST(Repeats, StatusAndRefreshTimes) {
    for (std::uint32_t seed = 1; seed < 200; ++seed) {
        Jitter jitter(seed);
        std::vector<Ticks> status = StatusRepeatOffsets(jitter);
        ASSERT_EQ(status.size(), 2u);
        EXPECT_TRUE(status[0] >= 1000 && status[0] < 1250 && status[1] >= 3000 && status[1] < 3250) << seed;
        std::vector<Ticks> round = RefreshRoundOffsets(jitter);
        ASSERT_EQ(round.size(), kRefreshRoundEnd + 1);
        EXPECT_TRUE(round[0] == 0 && round[1] >= 600 && round[2] - round[1] >= 600 && round[2] <= 1600) << seed;
        EXPECT_EQ(round[kRefreshRoundEnd], 3000u);
    }
}

std::vector<Ticks> Burst() {
    std::vector<Ticks> burst;
    for (Ticks t = 0; t < 1000; ++t) burst.push_back(t);
    return burst;
}

// A PC hears a Refresh round's requests (or some of them, or a burst) and
// answers in rounds of its own.
TEST(AnswerRounds, ARoundIsAnsweredAtMostTwiceAndInTime) {
    struct Case {
        const char* name;
        std::vector<Ticks> heard;  // when requests arrive
        std::size_t answers;
    };
    const Case cases[] = {
        {"all three of a Refresh", {0, 750, 1500}, 2},
        {"only the last: both answers before the round ends", {1500}, 2},
        {"the last two", {750, 1500}, 2},
        {"two Refreshes 2.5 s apart", {0, 750, 1500, 2500, 3250, 4000}, 4},
        {"a burst of 1,000 within a second", Burst(), 2},
    };
    for (std::uint32_t seed = 1; seed < 50; ++seed) {
        for (const Case& c : cases) {
            Jitter jitter(seed);
            AnswerRounds rounds;
            const std::vector<Ticks>& heard = c.heard;
            std::vector<Ticks> answered;
            for (Ticks t = 0, next = 0; t < 10000; ++t) {
                for (; next < heard.size() && heard[next] == t; ++next) rounds.Heard(t, jitter);
                if (rounds.TakeDue(t)) answered.push_back(t);
            }
            EXPECT_EQ(answered.size(), c.answers) << c.name << ", seed " << seed;
            if (heard.size() == 1) {
                EXPECT_LT(answered.back(), 3000u - 100) << c.name << ", seed " << seed;
            }
        }
    }
}

}  // namespace
}  // namespace pavlune
