#pragma once

#include <QFrame>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "platform/tray.h"

class QLabel;

namespace quorvane {

// Balloon tips of our own: a small frameless popup under the control it points at, with an
// icon for the style (0 fix valid, 2 no valid fix, 3 no data), a bold title and the text.
class QtBalloon : public QObject, public Balloon {
    Q_OBJECT
public:
    explicit QtBalloon(QObject* parent = nullptr);
    ~QtBalloon() override;

    // How a control's handle finds the widget that shows it (the view knows).
    void setAnchors(std::function<QWidget*(WindowHandle)> widgetOf);

    // The mode and the timeout only ever carry 0 and 200; the balloon stays until it is hidden,
    // shown elsewhere, its window hides, or it has not been shown again for a while.
    void setMode(std::int32_t mode) override;
    void show(WindowHandle at, const std::string& text, const std::string& title,
              std::int32_t iconStyle, std::int32_t timeout) override;
    void hide() override;

    const QWidget& popup() const { return *popup_; }
    QString title() const;
    QString text() const;
    // The widget the balloon last pointed at.
    QWidget* anchor() const { return anchor_; }

    // How long a balloon stays without another show.
    static constexpr int kLingerMs = 10000;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitOnScreen();
    void place();

    std::function<QWidget*(WindowHandle)> widgetOf_;
    QFrame* popup_;
    QLabel* icon_;
    QLabel* title_;
    QLabel* text_;
    QPointer<QWidget> anchor_;
    QTimer linger_;
};

}  // namespace quorvane
