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

// Said once at start, in a box and in the log, with the command that mends this copy.
TEST(SecureStart, WithdrawnClockRightIsToldOnceWithTheChmodCommand) {
    const std::string text =
        "Other users of this computer can run this copy of Quorvane, so it will not set the "
        "clock. Make it executable by its owner and group only: chmod 750 ";
    for (const auto& [withdrawn, executable, word] :
         {std::tuple{true, "/opt/q/quorvane", "/opt/q/quorvane"},
          std::tuple{true, "/h/GPS clock/q", "'/h/GPS clock/q'"},
          std::tuple{false, "/opt/q/quorvane", ""}}) {
        FormFixture f;
        f.files.executable = executable;
        f.form.ClockRightWithdrawn = withdrawn;
        f.form.Form_Load();
        const std::string whole = text + word;
        const std::ptrdiff_t times = withdrawn ? 1 : 0;
        const auto count = [](const auto& list, auto test) {
            return std::count_if(list.begin(), list.end(), test);
        };
        const auto said = [&](const std::string& s) { return s.find(text) != std::string::npos; };
        EXPECT_EQ(count(f.desktop.messages, [&](const auto& m) { return said(m.text); }), times);
        EXPECT_EQ(count(f.desktop.messages,
                        [&](const auto& m) { return m.text == whole && m.title == "Quorvane"; }),
                  times);
        EXPECT_EQ(count(f.log.lines, said), times);
        EXPECT_EQ(count(f.log.lines, [&](const auto& l) { return l.ends_with(" " + whole); }),
                  times);
    }
}

}  // namespace
}  // namespace quorvane::testing
#endif
