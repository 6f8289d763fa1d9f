// The Comm menu's receiver-delay part in the Qt view: the dividing line, the submenu, and the
// item that shows the delay in use.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

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
    EXPECT_EQ(captions, QStringList({"Port", "Baud", "Parity", "Flow", "Data Bits", "Stop",
                                     "Accept All Satellite Systems", "---", "Receiver Delay",
                                     "Share Time with chrony",
                                     "Keep Time Between Settings"}));

    QMenu& delay = *view.menuFor(f.form.Menu_ReceiverDelay);
    ASSERT_EQ(delay.actions().size(), 4);
    EXPECT_EQ(delay.actions()[0]->text(), "Measure Now");
    EXPECT_EQ(delay.actions()[1]->text(), "Use 0 ms");
    EXPECT_EQ(delay.actions()[2]->text(), "Enter...");
    QAction& inUse = *delay.actions()[3];
    EXPECT_FALSE(inUse.isVisible()) << "no delay yet";

    // Chosen through the view: saved, read back, shown as a line that states it.
    f.desktop.numberAnswers = {152};
    delay.actions()[2]->trigger();
    EXPECT_TRUE(inUse.isVisible());
    EXPECT_EQ(inUse.text(), "Using 152 ms");
    EXPECT_FALSE(inUse.isEnabled());
    EXPECT_FALSE(inUse.isChecked());
}

template <typename W>
W* shownWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<W*>(widget); window != nullptr && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

TEST(ReceiverDelayMenuView, ProgressAndNoticeBlockNothingAndOnlyCancelCancels) {
    QtDesktop desktop;
    int cancels = 0;
    desktop.showProgress("burst 0 of 30", "Quorvane", 30, [&] { ++cancels; });
    QProgressDialog* progress = shownWindow<QProgressDialog>();
    ASSERT_NE(progress, nullptr) << "shown at once, and the call returned";
    EXPECT_FALSE(progress->isModal());
    desktop.setProgress(12, "burst 12 of 30");
    EXPECT_EQ(progress->value(), 12);
    EXPECT_EQ(progress->findChild<QLabel*>()->text(), "burst 12 of 30");
    desktop.closeProgress();
    EXPECT_EQ(shownWindow<QProgressDialog>(), nullptr);
    EXPECT_EQ(cancels, 0) << "closing is not cancelling";

    desktop.showProgress("burst 0 of 30", "Quorvane", 30, [&] { ++cancels; });
    shownWindow<QProgressDialog>()->findChild<QPushButton*>()->click();
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(shownWindow<QProgressDialog>(), nullptr);
    desktop.closeProgress();  // already closed: harmless
    EXPECT_EQ(cancels, 1);

    desktop.showNotice("Receiver delay 152 ms (spread 1.3 ms, 30 bursts)", "Quorvane");
    QMessageBox* notice = shownWindow<QMessageBox>();
    ASSERT_NE(notice, nullptr);
    EXPECT_FALSE(notice->isModal());
    EXPECT_EQ(notice->text(), "Receiver delay 152 ms (spread 1.3 ms, 30 bursts)");
    notice->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace quorvane
