#include "platform/qt/tray_message_popup.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QToolTip>

namespace quorvane {

namespace {

constexpr int kIconSize = 32;
constexpr int kTextWidth = 360;
constexpr int kGap = 4;

}  // namespace

TrayMessagePopup::TrayMessagePopup()
    : icon_(new QLabel(this)), title_(new QLabel(this)), text_(new QLabel(this)) {
    setObjectName(QStringLiteral("trayMessage"));
    setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setPalette(QToolTip::palette());

    title_->setTextFormat(Qt::PlainText);
    text_->setTextFormat(Qt::PlainText);
    text_->setWordWrap(true);
    text_->setFixedWidth(kTextWidth);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon_, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(title_, 0, 1);
    layout->addWidget(text_, 1, 1);

    timeout_.setSingleShot(true);
    timeout_.setInterval(kShownMs);
    connect(&timeout_, &QTimer::timeout, this, &QWidget::hide);
}

void TrayMessagePopup::showMessage(const QString& title, const QString& text, const QIcon& icon,
                                   const QRect& anchor) {
    icon_->setPixmap(icon.isNull() ? QPixmap() : icon.pixmap(kIconSize, kIconSize));
    icon_->setVisible(!icon.isNull());
    title_->setText(title);
    text_->setText(text);
    adjustSize();
    place(anchor);
    show();
    raise();
    timeout_.start();
}

QString TrayMessagePopup::title() const {
    return title_->text();
}

QString TrayMessagePopup::text() const {
    return text_->text();
}

void TrayMessagePopup::mousePressEvent(QMouseEvent*) {
    timeout_.stop();
    hide();
}

// Below the icon where the tray is at the top of the screen, above it where it is at the
// bottom; always wholly on the screen.
void TrayMessagePopup::place(const QRect& anchor) {
    const QScreen* screen = anchor.isEmpty() ? QGuiApplication::primaryScreen()
                                             : QGuiApplication::screenAt(anchor.center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    const QRect room = screen->availableGeometry();
    QPoint at(room.right() + 1 - width() - kGap, room.top() + kGap);
    if (!anchor.isEmpty()) {
        at.setX(anchor.center().x() - width() / 2);
        const bool below = anchor.center().y() < room.center().y();
        at.setY(below ? anchor.bottom() + 1 + kGap : anchor.top() - kGap - height());
    }
    at.setX(qBound(room.left(), at.x(), qMax(room.left(), room.right() + 1 - width())));
    at.setY(qBound(room.top(), at.y(), qMax(room.top(), room.bottom() + 1 - height())));
    move(at);
}

}  // namespace quorvane
