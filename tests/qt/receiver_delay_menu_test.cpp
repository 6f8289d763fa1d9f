// The Comm menu's receiver-delay part in the Qt view: the dividing line, the submenu, and the
// item that shows the delay in use.

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "fakes/fakes.h"
#include "platform/qt/main_window_view.h"
#include "platform/qt/qt_desktop.h"

namespace quorvane {
namespace {

TEST(ReceiverDelayMenuView, CommMenuEndsWithALineThenTheSubmenu) {
    testing::FormFixture f;
    MainWindowView view{f.form, [](Picture) { return fallbackIcon(PictureColour::Yellow); }};
    f.load();

    const QList<QAction*> comm = view.menuFor(f.form.Menu_Comm)->actions();
    QStringList captions;
    for (const QAction* action : comm) {
        captions << (action->isSeparator() ? QStringLiteral("---") : action->text());
    }
    EXPECT_EQ(captions, QStringList({"Port", "Baud", "Parity", "Flow", "Data Bits", "Stop", "---",
                                     "Receiver Delay"}));

    QMenu& delay = *view.menuFor(f.form.Menu_ReceiverDelay);
    ASSERT_EQ(delay.actions().size(), 4);
    EXPECT_EQ(delay.actions()[0]->text(), "Measure Now");
    EXPECT_EQ(delay.actions()[1]->text(), "Use 0 ms");
    EXPECT_EQ(delay.actions()[2]->text(), "Enter...");
    QAction& inUse = *delay.actions()[3];
    EXPECT_FALSE(inUse.isVisible()) << "no delay yet";

    // Chosen through the view: saved, read back, shown checked.
    f.desktop.numberAnswers = {152};
    delay.actions()[2]->trigger();
    EXPECT_TRUE(inUse.isVisible());
    EXPECT_EQ(inUse.text(), "Using 152 ms");
    EXPECT_TRUE(inUse.isChecked());
}

}  // namespace
}  // namespace quorvane
