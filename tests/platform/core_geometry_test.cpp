#include "platform/core/Geometry.h"
#include "platform/core/Sync.h"
#include "platform/core/Types.h"

#include <gtest/gtest.h>
#include <thread>

TEST(Geometry, IntersectAndUnion)
{
    struct Case { TRect a, b; bool meets; TRect inter, uni; };
    const Case cases[] = {
        {Rect(0, 0, 10, 10), Rect(5, 5, 20, 20), true, Rect(5, 5, 10, 10), Rect(0, 0, 20, 20)},
        {Rect(0, 0, 10, 10), Rect(10, 0, 20, 10), false, TRect(), Rect(0, 0, 20, 10)},   // touching edges
        {Rect(0, 0, 0, 0), Rect(1, 1, 3, 3), false, TRect(), Rect(1, 1, 3, 3)},           // empty side ignored
    };
    for (const auto& c : cases)
    {
        TRect i, u;
        EXPECT_EQ(IntersectRect(i, c.a, c.b), c.meets);
        EXPECT_EQ(i, c.inter);
        UnionRect(u, c.a, c.b);
        EXPECT_EQ(u, c.uni);
    }
}

TEST(Geometry, PackedCoordinatesKeepSign)
{
    LPARAM l = MAKELPARAM(-5, 300);
    EXPECT_EQ(GET_X_LPARAM(l), -5);
    EXPECT_EQ(GET_Y_LPARAM(l), 300);
    EXPECT_EQ(GetRValue(RGB(1, 2, 3)), 1);
    EXPECT_EQ(GetBValue(RGB(1, 2, 3)), 3);
}

TEST(Sync, EventTimedWaitAndAutoReset)
{
    TEvent manual(true, false);
    EXPECT_EQ(manual.WaitFor(10), TWaitResult::wrTimeout);
    std::thread t([&] { manual.SetEvent(); });
    EXPECT_EQ(manual.WaitFor(5000), TWaitResult::wrSignaled);
    t.join();
    EXPECT_EQ(manual.WaitFor(0), TWaitResult::wrSignaled);   // stays set

    TEvent autoEv(false, true);
    EXPECT_EQ(autoEv.WaitFor(0), TWaitResult::wrSignaled);
    EXPECT_EQ(autoEv.WaitFor(0), TWaitResult::wrTimeout);    // cleared by the wait
}
