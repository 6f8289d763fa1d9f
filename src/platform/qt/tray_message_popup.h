#pragma once

#include <QFrame>
#include <QIcon>
#include <QTimer>

class QLabel;

namespace quorvane {

// The notification pop-up of the tray icon where the desktop runs no notification service.
// Qt's own builds a new window for every message, and each leaves some memory behind for good:
// a receiver that comes and goes for months would add up. This one is built once and shown
// again for every message, beside the tray icon, until it times out or is clicked.
class TrayMessagePopup : public QFrame {
    Q_OBJECT
public:
    static constexpr int kShownMs = 10000;

    TrayMessagePopup();

    // Shows the message beside `anchor` (global coordinates: the tray icon), or in the screen's
    // top right corner when the icon's place is unknown.
    void showMessage(const QString& title, const QString& text, const QIcon& icon,
                     const QRect& anchor);
    QString title() const;
    QString text() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void place(const QRect& anchor);

    QLabel* icon_;
    QLabel* title_;
    QLabel* text_;
    QTimer timeout_;
};

}  // namespace quorvane
