#include "platform/clock.h"
#include "platform/headless/recorded_message_boxes.h"
#include "platform/headless/virtual_clock.h"
#include "platform/message_box.h"
#include "platform/services.h"

#include <gtest/gtest.h>

namespace {

TEST(Services, InstalledClockAndBoxesAreUsedAndRestored) {
    platform::headless::VirtualClock clock(0xFFFFFF00u);
    platform::headless::RecordedMessageBoxes boxes;
    platform::Services mine;
    mine.clock = &clock;
    mine.messageBoxes = &boxes;
    platform::Services before = platform::InstallServices(mine);

    platform::Sleep(0x200);
    EXPECT_EQ(platform::GetTickCount(), 0x100u) << "the tick count wraps like a 32-bit counter";
    platform::ShowMessageBox("本文", " lol ");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, " lol ");
    EXPECT_FALSE(boxes.Boxes()[0].owned);

    platform::InstallServices(before);
    EXPECT_EQ(platform::GetServices().clock, before.clock);
}

} // namespace
