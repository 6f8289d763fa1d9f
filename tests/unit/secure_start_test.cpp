#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "fakes/fakes.h"

#ifndef _WIN32
#include "platform/posix/secure_start.h"

namespace quorvane::testing {
namespace {

// With more rights than its user, the program keeps what reaches the display, the session bus
// and the language, whole names only, and searches a fixed path.
TEST(SecureStart, EnvironmentKeepsOnlyTheWindowsNeeds) {
    const std::vector<std::string> needs = {"DISPLAY=:0",
                                            "WAYLAND_DISPLAY=w",
                                            "XAUTHORITY=/h/.Xa",
                                            "XDG_RUNTIME_DIR=/run/user/1",
                                            "HOME=/h",
                                            "USER=a",
                                            "LANG=de_DE",
                                            "LC_ALL=C",
                                            "LC_TIME=C",
                                            "TZ=",
                                            "DBUS_SESSION_BUS_ADDRESS=unix:path=/b"};
    const std::vector<std::string> others = {"QT_PLUGIN_PATH=/t",
                                             "QT_QPA_PLATFORMTHEME=x",
                                             "QT_STYLE_OVERRIDE=x",
                                             "QT_IM_MODULE=x",
                                             "GTK_MODULES=x",
                                             "XMODIFIERS=@im=x",
                                             "LD_PRELOAD=/t.so",
                                             "PATH=/t:/usr/bin",
                                             "DISPLAYX=:0",
                                             "LC_=x",
                                             "=DISPLAY",
                                             "HOME"};
    std::vector<std::string> mixed = others;
    mixed.insert(mixed.begin() + 3, needs.begin(), needs.end());
    std::vector<std::string> kept = needs;
    kept.push_back(std::string("PATH=") + kSecurePath);
    EXPECT_EQ(secureEnvironment(mixed), kept);
    EXPECT_EQ(secureEnvironment(others), std::vector<std::string>(1, kept.back()));
}

// Only a right that came with the file goes, and only where others may run the file.
TEST(SecureStart, ClockRightGoesWhereOthersMayRunAPrivilegedCopy) {
    const struct {
        bool secure, holds;
        mode_t mode;
        bool mustGo;
    } cases[] = {{true, true, 0755, true},  {true, true, 04701, true},  {true, true, 0750, false},
                 {true, true, 0754, false}, {false, true, 0755, false}, {true, false, 0755, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(clockRightMustGo(c.secure, c.holds, c.mode), c.mustGo) << std::oct << c.mode;
    }
}

// Said once at start, in the log and with the command that mends this copy: in a box where
// the window shows, but where it starts in the tray in a notification, so that nothing holds up
// an unattended start.
TEST(SecureStart, WithdrawnClockRightIsToldOnceWithTheChmodCommand) {
    for (const auto& [withdrawn, inTray, executable, word] :
         {std::tuple{true, false, "/opt/q/quorvane", "/opt/q/quorvane"},
          std::tuple{true, true, "/h/GPS clock/q", "'/h/GPS clock/q'"},
          std::tuple{false, false, "/opt/q/quorvane", ""},
          std::tuple{false, true, "/opt/q/quorvane", ""}}) {
        FormFixture f;
        f.files.executable = executable;
        f.files.files[f.settingsPath()] = std::string("<STARTUP_MODE_TASK_TRAY>") +
                                          (inTray ? "True" : "False") +
                                          "</STARTUP_MODE_TASK_TRAY>\r\n";
        f.form.ClockRightWithdrawn = withdrawn;
        f.form.Form_Load();
        for (int tick = 0; tick < 3; ++tick) {
            f.clock.advance(std::chrono::seconds(1));
            f.form.Timer1_Timer();
        }
        const auto count = [](const auto& list, auto test) {
            return std::count_if(list.begin(), list.end(), test);
        };
        const std::string command = std::string("chmod 750 ") + word;
        const auto advises = [&](const std::string& s) {
            return s.find(command) != std::string::npos && s.find("sudo") != std::string::npos;
        };
        const std::ptrdiff_t box = withdrawn && !inTray ? 1 : 0;
        const std::ptrdiff_t notice = withdrawn && inTray ? 1 : 0;
        ASSERT_EQ(f.desktop.messages.size(), static_cast<std::size_t>(box));
        EXPECT_TRUE(!box || (advises(f.desktop.messages[0].text) &&
                             f.desktop.messages[0].title == "Quorvane"));
        EXPECT_EQ(count(f.tray.messages,
                        [](const auto& m) {
                            return m.text.find("will not set the clock") != std::string::npos;
                        }),
                  notice);
        EXPECT_EQ(
            count(f.log.lines,
                  [&](const auto& l) { return advises(l) && l.find('\n') == std::string::npos; }),
            box + notice);
        EXPECT_EQ(f.tray.shown && !f.form.window.visible(), inTray);
    }
}

}  // namespace
}  // namespace quorvane::testing
#endif
