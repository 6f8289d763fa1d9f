#include <gtest/gtest.h>

#include "fakes/fakes.h"

namespace quorvane::testing {
namespace {

TEST(HideAndShow, HideNeedsTheTrayIconAndEachSetsItsTooltip) {
    FormFixture f;
    f.load();

    f.form.mhide_Click();  // before the icon is in the tray: nothing
    f.form.MenuMinimize_Click();
    EXPECT_TRUE(f.form.window.visible());
    EXPECT_EQ(f.form.window.state(), WindowState::Normal);
    EXPECT_TRUE(f.tray.toolTips.empty());

    f.tray.add(f.form.window.icon(), "Quorvane");
    f.form.MenuMinimize_Click();
    EXPECT_FALSE(f.form.window.visible());
    EXPECT_EQ(f.form.window.state(), WindowState::Minimized);
    EXPECT_EQ(f.tray.toolTip, "Brindles Quorvane");

    const int shownBefore = f.form.window.showRequests();
    f.form.menu2_Click();
    EXPECT_TRUE(f.form.window.visible());
    EXPECT_EQ(f.form.window.state(), WindowState::Normal);
    EXPECT_EQ(f.form.window.showRequests(), shownBefore + 1);
    EXPECT_EQ(f.tray.toolTip, "Quorvane");
}

TEST(TrayMenu, PopsUpTheFirstMenuOwnedByTheWindow) {
    FormFixture f;
    f.load();
    f.tray.menuRequest();  // as the tray component raises it
    ASSERT_EQ(f.tray.popups.size(), 1u);
    EXPECT_EQ(f.tray.popups[0].first, "menu1");
    EXPECT_EQ(f.tray.popups[0].second, f.form.window.hWnd());
    std::vector<std::string> items;
    for (const MenuItem* item : f.form.menu1.items()) {
        items.push_back(item->caption());
    }
    EXPECT_EQ(items, (std::vector<std::string>{"Show", "Hide", "Exit"}));
}

// Each exit path: close the open port, unload the window (whose close request re-enters the
// sequence), remove the icon, end the program exactly once.
TEST(Shutdown, EveryExitPathClosesThePortRemovesTheIconAndEndsOnce) {
    for (const std::string path : {"mexit", "MenuExit", "QueryUnload", "trayExit"}) {
        FormFixture f;
        f.load();
        f.serial.open = true;
        f.tray.add(1, "Quorvane");
        if (path == "mexit") {
            f.form.mexit_Click();
        } else if (path == "MenuExit") {
            f.form.MenuExit.click();
        } else if (path == "QueryUnload") {
            f.form.Form_QueryUnload();
        } else {
            f.form.mexit.click();
        }
        EXPECT_FALSE(f.serial.open) << path;
        EXPECT_EQ(f.serial.closes, 1) << path;
        EXPECT_EQ(f.tray.removes, 1) << path;
        EXPECT_FALSE(f.tray.shown) << path;
        EXPECT_EQ(f.desktop.unloads, 1) << path;
        EXPECT_EQ(f.desktop.ends, 1) << path;
        EXPECT_GE(f.desktop.pumps, 2) << path;
        EXPECT_TRUE(f.form.ProgramEnded) << path;
    }
}

TEST(Shutdown, EndsCleanlyWithThePortNeverOpenedAndNoTrayIcon) {
    FormFixture f;
    f.form.Form_QueryUnload();  // even before Form_Load created the port object
    EXPECT_EQ(f.desktop.ends, 1);

    FormFixture g;
    g.load();
    g.form.mexit_Click();
    EXPECT_EQ(g.serial.closes, 0);
    EXPECT_EQ(g.tray.removes, 0);
    EXPECT_EQ(g.desktop.ends, 1);
}

TEST(Shutdown, AFailingStepDoesNotStopTheRestAndQueuedExitsDoNotEndTwice) {
    FormFixture f;
    f.load();
    f.serial.open = true;
    f.serial.failOn = "setPortOpen";
    f.tray.add(1, "Quorvane");
    // An exit click already queued runs inside the first exit's event pump.
    f.desktop.queued.push_back([&] { f.form.mexit_Click(); });
    f.form.MenuExit_Click();
    EXPECT_EQ(f.desktop.ends, 1);
    EXPECT_FALSE(f.tray.shown);

    // Nothing more happens once ended.
    f.form.Form_QueryUnload();
    EXPECT_EQ(f.desktop.ends, 1);
}

TEST(Shutdown, BackgroundMovementHidesTheBalloon) {
    FormFixture f;
    f.load();
    f.form.Form_MouseMove(0, 0, 10.0f, 20.0f);
    EXPECT_EQ(f.balloon.hides, 1);
}

}  // namespace
}  // namespace quorvane::testing
