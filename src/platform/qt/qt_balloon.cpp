#include "platform/qt/qt_balloon.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QToolTip>

namespace quorvane {

namespace {

QIcon styleIcon(std::int32_t iconStyle) {
    QStyle* style = QApplication::style();
    switch (iconStyle) {
        case 0:
            return style->standardIcon(QStyle::SP_MessageBoxInformation);
        case 2:
            return style->standardIcon(QStyle::SP_MessageBoxWarning);
        case 3:
            return style->standardIcon(QStyle::SP_MessageBoxCritical);
        default:
            return {};
    }
}

// Lines arrive ending in CR LF; the last one's ending would only add an empty line.
QString balloonText(const std::string& text) {
    QString lines = QString::fromStdString(text);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).remove(QLatin1Char('\r'));
    while (lines.endsWith(QLatin1Char('\n'))) {
        lines.chop(1);
    }
    return lines;
}

// Each line cut to `width` pixels with an ellipsis; lines are kept whole in number.
QString elidedLines(const QString& text, const QFontMetrics& metrics, int width) {
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        line = metrics.elidedText(line, Qt::ElideRight, qMax(width, 0));
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

QtBalloon::QtBalloon(QObject* parent) : QObject(parent), popup_(new QFrame) {
    popup_->setObjectName(QStringLiteral("balloon"));
    // Never in the pointer's way, even where it has to cover its control.
    popup_->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput);
    popup_->setAttribute(Qt::WA_ShowWithoutActivating);
    popup_->setAttribute(Qt::WA_TransparentForMouseEvents);
    popup_->setFrameShape(QFrame::Box);
    popup_->setAutoFillBackground(true);
    popup_->setPalette(QToolTip::palette());

    icon_ = new QLabel(popup_);
    title_ = new QLabel(popup_);
    text_ = new QLabel(popup_);
    title_->setTextFormat(Qt::PlainText);
    text_->setTextFormat(Qt::PlainText);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* layout = new QGridLayout(popup_);
    layout->addWidget(icon_, 0, 0, Qt::AlignTop);
    layout->addWidget(title_, 0, 1, Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(text_, 1, 0, 1, 2);
    layout->setColumnStretch(1, 1);

    linger_.setSingleShot(true);
    linger_.setInterval(kLingerMs);
    connect(&linger_, &QTimer::timeout, this, [this] { hide(); });
}

QtBalloon::~QtBalloon() {
    delete popup_;
}

void QtBalloon::setAnchors(std::function<QWidget*(WindowHandle)> widgetOf) {
    widgetOf_ = std::move(widgetOf);
}

void QtBalloon::setMode(std::int32_t) {}

void QtBalloon::show(WindowHandle at, const std::string& text, const std::string& title,
                     std::int32_t iconStyle, std::int32_t) {
    QWidget* anchor = widgetOf_ ? widgetOf_(at) : nullptr;
    if (anchor == nullptr || !anchor->isVisible() || anchor->window()->isMinimized()) {
        return;
    }
    if (anchor_ != anchor) {
        if (anchor_) {
            anchor_->window()->removeEventFilter(this);
        }
        anchor_ = anchor;
        anchor->window()->installEventFilter(this);
    }
    const QIcon icon = styleIcon(iconStyle);
    icon_->setPixmap(icon.isNull() ? QPixmap() : icon.pixmap(24, 24));
    icon_->setVisible(!icon.isNull());
    title_->setText(QString::fromStdString(title));
    text_->setText(balloonText(text));
    text_->setVisible(!text_->text().trimmed().isEmpty());
    popup_->adjustSize();
    fitOnScreen();
    place();
    popup_->show();
    popup_->raise();
    linger_.start();
}

void QtBalloon::hide() {
    linger_.stop();
    popup_->hide();
}

QString QtBalloon::title() const {
    return title_->text();
}

QString QtBalloon::text() const {
    return text_->text();
}

void QtBalloon::fitOnScreen() {
    // Garbage on the line can make one line thousands of characters long: it is cut short
    // rather than run off the screen's edge.
    const QScreen* screen = anchor_->screen();
    if (screen == nullptr) {
        return;
    }
    const int overflow = popup_->width() - screen->availableGeometry().width();
    if (overflow > 0) {
        text_->setText(elidedLines(text_->text(), QFontMetrics(text_->font()),
                                   text_->sizeHint().width() - overflow));
        popup_->adjustSize();
    }
}

void QtBalloon::place() {
    // Just below the control, a little in from its left edge; above it if the screen ends
    // first; on a screen too small for either, as low as it fits.
    QPoint at = anchor_->mapToGlobal(QPoint(anchor_->width() / 4, anchor_->height() + 2));
    if (const QScreen* screen = anchor_->screen()) {
        const QRect room = screen->availableGeometry();
        const int height = popup_->height();
        if (at.y() + height > room.bottom() + 1) {
            const int above = anchor_->mapToGlobal(QPoint(0, -2)).y() - height;
            at.setY(above >= room.top() ? above : qMax(room.top(), room.bottom() + 1 - height));
        }
        at.setX(qBound(room.left(), at.x(), qMax(room.left(), room.right() + 1 - popup_->width())));
    }
    popup_->move(at);
}

bool QtBalloon::eventFilter(QObject* watched, QEvent* event) {
    // A balloon must not float on when its window goes to the tray or the task bar.
    if (anchor_ && watched == anchor_->window() &&
        (event->type() == QEvent::Hide ||
         (event->type() == QEvent::WindowStateChange && anchor_->window()->isMinimized()))) {
        hide();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quorvane
