#include <gtest/gtest.h>

#include "fakes/fakes.h"

namespace quorvane::testing {
namespace {

TEST(Form1Model, MenuBarHoldsEveryMenuInOrderWithItsInitialMarks) {
    FormFixture f;
    std::vector<std::string> bar;
    for (const MenuItem* item : f.form.MenuBar.items()) {
        bar.push_back(item->name());
    }
    EXPECT_EQ(bar, (std::vector<std::string>{"menu1", "DisplayUnits", "StartUpDelayMenu",
                                             "Menu_Comm", "DisplayBlank1", "MenuMinimize",
                                             "MenuExit"}));
    EXPECT_EQ(f.form.DisplayBlank.caption(), std::string(15, ' '));
    EXPECT_EQ(f.form.Menu_Port_Number.count(), 1u);
    EXPECT_EQ(f.form.Menu_Port_Number[0].caption(), "None/Reset");
    EXPECT_EQ(f.form.Menu_Baud.items().size(), 16u);
    // The six line-setting menus, "Accept All Satellite Systems", a dividing line, "Receiver
    // Delay", "Share Time with chrony", then "Keep Time Between Settings".
    EXPECT_EQ(f.form.Menu_Comm.items().size(), 11u);

    // The marks a first run starts with.
    EXPECT_TRUE(f.form.DisplayFeet.checked());
    EXPECT_FALSE(f.form.DisplayMeters.checked());
    EXPECT_TRUE(f.form.StartUpDelayEnabled.checked());
    EXPECT_FALSE(f.form.Menu_NoDelay.checked());
    EXPECT_FALSE(f.form.StartInTaskTray.checked());
    EXPECT_FALSE(f.form.TimeSyncOnStartup.checked());
    std::vector<std::string> checked;
    for (const MenuItem* group : f.form.Menu_Comm.items()) {
        for (const MenuItem* item : group->items()) {
            if (item->checked()) {
                checked.push_back(group->caption() + ":" + item->caption());
            }
        }
    }
    EXPECT_EQ(checked, (std::vector<std::string>{"Baud:4800", "Parity:None", "Flow:None",
                                                 "Data Bits:8", "Stop:1"}));
}

TEST(Form1Model, ControlsStartWithTheirTextsAndStateIsZero) {
    FormFixture f;
    for (const TextDisplay* d : {&f.form.TimeComputer, &f.form.TimeGPS, &f.form.GPSLatitude,
                                 &f.form.GPSLongitude, &f.form.GPSAltitude}) {
        EXPECT_EQ(d->text(), "Quorvane") << d->name();
    }
    EXPECT_EQ(LampGreen, 65280);
    EXPECT_EQ(LampRed, 255);
    EXPECT_EQ(f.form.window.caption(), "  Brindle's Quorvane");
    EXPECT_EQ(f.form.RxStaleCount, 0);
    EXPECT_EQ(f.form.StartupDelayCount, 0);
    EXPECT_FALSE(f.form.SettingsLoadRequested);
    EXPECT_TRUE(f.form.GpsPortName.empty());
    EXPECT_EQ(f.form.MSPort1, nullptr);
}

class CountingObserver : public ControlObserver {
public:
    std::vector<std::string> changes;
    void controlChanged(const Control& control) override { changes.push_back(control.name()); }
};

TEST(Form1Model, ObserverHearsEachRealChangeOnceAndPortItemsAddedLater) {
    FormFixture f;
    CountingObserver observer;
    f.form.setObserver(&observer);
    f.form.TimeValid.setFillColor(LampGreen);
    f.form.TimeValid.setFillColor(LampGreen);  // no change, no notice
    f.form.Menu_Stop_15.setChecked(true);
    MenuItem& item = f.form.Menu_Port_Number.load("Com3");
    item.setChecked(true);
    EXPECT_EQ(observer.changes,
              (std::vector<std::string>{"TimeValid", "Menu_Stop_15", "Menu_Port",
                                        "Menu_Port_Number(1)"}));
}

TEST(Form1Model, EveryMenuItemClickReachesAHandler) {
    FormFixture f;
    std::vector<const MenuItem*> pending(f.form.MenuBar.items().begin(),
                                         f.form.MenuBar.items().end());
    std::vector<std::string> silent;
    while (!pending.empty()) {
        const MenuItem* item = pending.back();
        pending.pop_back();
        // A disabled line (the receiver delay in use) only states something.
        if (item->items().empty() && !item->onClick && item != &f.form.DisplayBlank &&
            !item->isSeparator() && item->enabled()) {
            silent.push_back(item->name());
        }
        pending.insert(pending.end(), item->items().begin(), item->items().end());
    }
    EXPECT_TRUE(silent.empty()) << silent.front();
}

}  // namespace
}  // namespace quorvane::testing
