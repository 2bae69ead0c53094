#include "rtc_random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

using velmora::RtcRandom;

TEST(RtcRandom, StartsAtTheRuntimesInitialState) {
    RtcRandom random;
    EXPECT_EQ(random.state(), 327680u);
    // The first draw without a restart steps from there.
    EXPECT_EQ(random.next(), RtcRandom::valueOf(RtcRandom::step(327680u)));
}

TEST(RtcRandom, RestartWithMinusOneGivesTheKnownSequence) {
    RtcRandom random;
    EXPECT_EQ(random.next(-1.0f), 3758214.0f / 16777216.0f);
    EXPECT_NEAR(random.next(-1.0f), 0.2240070, 1e-7);

    const std::uint32_t states[] = {601393, 1448752, 2755891, 3015466};
    const float values[] = {0.0358458f, 0.0863523f, 0.1642639f, 0.1797358f};
    const int keys[] = {10, 23, 42, 46};
    for (int i = 0; i < 4; ++i) {
        const float r = random.next();
        EXPECT_EQ(random.state(), states[i]) << "draw " << i;
        EXPECT_NEAR(r, values[i], 1e-7) << "draw " << i;
        EXPECT_EQ(RtcRandom::keyOf(random.state()), keys[i]) << "draw " << i;
    }
    EXPECT_EQ(velmora::stateAfterRestart(), 3758214u);
}

TEST(RtcRandom, RestartIsReproducibleWhateverCameBefore) {
    RtcRandom a, b;
    for (int i = 0; i < 1000; ++i) b.next();
    a.next(-1.0f);
    b.next(-1.0f);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(a.next(), b.next());
}

TEST(RtcRandom, RestartSeedComesFromTheBitPattern) {
    // -1.0f is 0xBF800000: low 24 bits 0x800000 plus high byte 0xBF.
    EXPECT_EQ(RtcRandom::seedFor(-1.0f), 0x8000BFu);
    // -2.5f is 0xC0200000.
    EXPECT_EQ(RtcRandom::seedFor(-2.5f), (0x200000u + 0xC0u) & 0xFFFFFFu);
    // Different negative numbers select different points.
    EXPECT_NE(RtcRandom::seedFor(-1.0f), RtcRandom::seedFor(-2.0f));
}

TEST(RtcRandom, ZeroRepeatsAndPositiveAdvances) {
    RtcRandom random;
    random.next(-1.0f);
    const float first = random.next();
    EXPECT_EQ(random.next(0.0f), first);
    EXPECT_EQ(random.next(0.0f), first);
    EXPECT_EQ(random.next(1.0f), RtcRandom::valueOf(1448752u));
}

TEST(RtcRandom, ValuesStayInTheUnitInterval) {
    EXPECT_EQ(RtcRandom::valueOf(0), 0.0f);
    EXPECT_LT(RtcRandom::valueOf(0xFFFFFF), 1.0f);
    EXPECT_EQ(RtcRandom::keyOf(0), 1);
    EXPECT_EQ(RtcRandom::keyOf(0xFFFFFF), 255);
}

TEST(RtcRandom, KeyIsExactForEveryState) {
    // The integer form must equal Int(r * 255) + 1 with the product in
    // double precision, for every state the generator can reach.
    for (std::uint32_t s = 0; s <= 0xFFFFFF; ++s) {
        const float r = RtcRandom::valueOf(s);
        const int exact = static_cast<int>(std::floor(static_cast<double>(r) * 255.0)) + 1;
        ASSERT_EQ(RtcRandom::keyOf(s), exact) << "state " << s;
    }
}

TEST(RtcRandom, FullPeriodOfTwoToThe24) {
    // A full-period generator visits every state once before repeating.
    std::uint32_t s = 0;
    std::uint32_t steps = 0;
    do {
        s = RtcRandom::step(s);
        ++steps;
    } while (s != 0 && steps <= 0x1000000u);
    EXPECT_EQ(steps, 0x1000000u);
}
