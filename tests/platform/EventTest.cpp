#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/Event.h"

using namespace quillstar;
using namespace std::chrono_literals;

TEST(Event, StaysSetUntilReset)
{
    Event event;
    EXPECT_FALSE(event.Wait(0));
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(kInfinite));
    event.Reset();
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.Wait(10));
    EXPECT_TRUE(Event(true).IsSet());
}

TEST(Event, SetFromAnotherThreadReleasesWaiter)
{
    Event event;
    std::thread setter([&] {
        std::this_thread::sleep_for(20ms);
        event.Set();
    });
    EXPECT_TRUE(event.Wait(kInfinite));
    setter.join();
}

TEST(WaitForFirstEvent, LowestSignalledIndexWins)
{
    Event a, b, c;
    c.Set();
    b.Set();
    EXPECT_EQ(WaitForFirstEvent({&a, &b, &c}, 0), 1);
    a.Set();
    EXPECT_EQ(WaitForFirstEvent({&a, &b, &c}, kInfinite), 0);
}

TEST(WaitForFirstEvent, TimesOutWhenNoneIsSet)
{
    Event a, b;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForFirstEvent({&a, &b}, 30), kWaitTimeout);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
}

TEST(WaitForFirstEvent, WakesWhenALaterEventIsSetByAnotherThread)
{
    Event a, b;
    for (int round = 0; round < 200; ++round) {
        b.Reset();
        std::thread setter([&] { b.Set(); });
        EXPECT_EQ(WaitForFirstEvent({&a, &b}, kInfinite), 1);
        setter.join();
    }
}
