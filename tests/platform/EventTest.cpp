#include <gtest/gtest.h>

#include <thread>

#include "platform/Event.h"

using namespace quillstar;

TEST(Event, StaysSetUntilResetAndWakesTheLowestSetIndex)
{
    Event a, b, c;
    EXPECT_FALSE(a.Wait(0));
    EXPECT_EQ(WaitForFirstEvent({&a, &b}, 10), kWaitTimeout);
    c.Set();
    b.Set();
    EXPECT_TRUE(b.Wait(kInfinite));
    EXPECT_EQ(WaitForFirstEvent({&a, &b, &c}, 0), 1);
    a.Set();
    EXPECT_EQ(WaitForFirstEvent({&a, &b, &c}, kInfinite), 0);
    a.Reset();
    EXPECT_FALSE(a.IsSet());
    EXPECT_TRUE(Event(true).IsSet());
}

TEST(Event, WakesAWaiterWhenAnotherThreadSetsALaterEvent)
{
    Event a, b;
    for (int round = 0; round < 200; ++round) {
        b.Reset();
        std::thread setter([&] { b.Set(); });
        EXPECT_EQ(WaitForFirstEvent({&a, &b}, kInfinite), 1);
        setter.join();
    }
}
