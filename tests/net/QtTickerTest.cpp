// The 100 ms tick of the real host, run on the event loop.
#include <gtest/gtest.h>

#include "NetTestSupport.h"
#include "platform/qt/QtPlatform.h"

namespace zorl::test {
namespace {

TEST(QtTickerTest, TicksUntilStoppedAndMayBeRestartedFromItsOwnTick) {
    qt::QtPlatformServices services;
    ITicker& ticker = services.Ticker();
    int first = 0, second = 0;
    EXPECT_NE(ticker.Start(5,
                           [&] {
                               // The third tick replaces the very callback that is running.
                               if (++first == 3) ticker.Start(5, [&] { ++second; });
                           }),
              0);
    ASSERT_TRUE(WaitUntil([&] { return second >= 2; }));
    EXPECT_EQ(first, 3);
    ticker.Stop();
    const int stoppedAt = second;
    PumpFor(40);
    EXPECT_EQ(second, stoppedAt);
}

}  // namespace
}  // namespace zorl::test
