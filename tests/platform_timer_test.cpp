#include "platform/headless/headless_system.h"
#include "ui/tick_timer.h"

#include <gtest/gtest.h>

namespace {

TEST(TickTimer, MissedTicksAreNotMadeUp) {
    struct Case {
        const char* what;
        uint32_t start;
        uint32_t checkAt;
        bool due;
        uint32_t nextIn; // after taking it (or not), ms until the next one
    };
    const Case cases[] = {
        {"not yet", 1000, 1099, false, 1},
        {"on time", 1000, 1100, true, 100},
        {"a little late", 1000, 1130, true, 70},
        {"busy for 3.5 periods: one tick", 1000, 1450, true, 50},
        {"across the 32-bit wrap", 0xFFFFFFC0u, 0x00000024u, true, 100},
    };
    for (const Case& c : cases) {
        ui::TickTimer timer;
        timer.Start(1, 100, c.start);
        EXPECT_EQ(timer.TakeDue(c.checkAt), c.due) << c.what;
        EXPECT_FALSE(timer.TakeDue(c.checkAt)) << c.what << ": never two at once";
        EXPECT_EQ(timer.Remaining(c.checkAt), c.nextIn) << c.what;
    }
}

// A window user that counts ticks and is slow on the first one.
struct SlowEvents : platform::WindowEvents {
    platform::headless::VirtualClock* clock = nullptr;
    uint32_t busyMs = 0;
    int ticks = 0;
    int paints = 0;
    int destroys = 0;
    void OnWindowTick(int) override {
        ++ticks;
        clock->Advance(busyMs);
        busyMs = 0;
    }
    void OnWindowKeyUp(int) override {}
    void OnWindowPaint() override { ++paints; }
    void OnWindowDestroy() override { ++destroys; }
};

TEST(HeadlessWindow, TicksAreNotQueuedWhileTheGameIsBusy) {
    platform::headless::HeadlessSystem system(5000);
    SlowEvents events;
    events.clock = &system.Clock();
    auto window = platform::CreateMainWindow({64, 48, "t", {}}, events);
    ASSERT_TRUE(window);
    window->SetTimer(1, 100);
    auto* headless = system.Window();
    ASSERT_EQ(headless, window.get());

    events.busyMs = 450; // the first tick keeps the thread busy for 4.5 periods
    headless->Tick();
    EXPECT_EQ(system.Clock().TickCount(), 5550u);
    headless->Pump();
    EXPECT_EQ(events.ticks, 2) << "one waiting tick, not four";
    headless->Pump();
    EXPECT_EQ(events.ticks, 2);
    headless->Tick();
    EXPECT_EQ(system.Clock().TickCount(), 5600u) << "back on the period's beat";
    EXPECT_EQ(events.ticks, 3);
    headless->AdvanceTime(1000);
    EXPECT_EQ(events.ticks, 4);
}

TEST(HeadlessWindow, RepaintRequestsCoalesceAndTheRunEndsOnce) {
    platform::headless::HeadlessSystem system;
    SlowEvents events;
    events.clock = &system.Clock();
    system.SetScript({platform::headless::HeadlessWindow::Step::Run([&] {
                          system.Window()->RequestRepaint();
                          system.Window()->RequestRepaint();
                          system.Window()->Pump();
                      }),
                      platform::headless::HeadlessWindow::Step::Tick(3)});
    auto window = platform::CreateMainWindow({64, 48, "t", {}}, events);
    window->SetTimer(1, 100);
    window->RunModal();
    EXPECT_EQ(events.paints, 2) << "the first paint, then one for two requests";
    EXPECT_EQ(events.ticks, 3);
    EXPECT_TRUE(system.Window()->ScriptRanOut());
    EXPECT_EQ(window->EndReason(), platform::WindowEnd::Closed);
    window->Destroy();
    EXPECT_EQ(events.destroys, 1);
}

TEST(HeadlessSystem, RestoresTheServicesItFound) {
    const platform::Services before = platform::GetServices();
    {
        platform::headless::HeadlessSystem system;
        EXPECT_EQ(platform::GetServices().windows, &system.Windows());
        EXPECT_EQ(platform::GetServices().launcher, &system.Launches());
        EXPECT_FALSE(system.ConfigHome().empty());
    }
    EXPECT_EQ(platform::GetServices().windows, before.windows);
    EXPECT_EQ(platform::GetServices().clock, before.clock);
}

} // namespace
