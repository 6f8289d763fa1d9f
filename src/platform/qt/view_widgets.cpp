#include "platform/qt/view_widgets.h"

#include <QMouseEvent>
#include <QPainter>

namespace quorvane {

QColor colourFromModel(std::int32_t colour) {
    return QColor(colour & 0xff, (colour >> 8) & 0xff, (colour >> 16) & 0xff);
}

LampWidget::LampWidget(QWidget* parent) : QWidget(parent) {
    setMinimumSize(16, 16);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // A lamp is part of the background: pointer movements over it are passed on to the window
    // (QWidget ignores them), yet its tooltip still works.
    setMouseTracking(true);
}

void LampWidget::setModelColour(std::int32_t colour) {
    const QColor next = colourFromModel(colour);
    if (next != colour_) {
        colour_ = next;
        update();
    }
}

void LampWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.setBrush(colour_);
    const int side = qMin(width(), height()) - 2;
    painter.drawEllipse(QRect((width() - side) / 2, (height() - side) / 2, side, side));
}

DisplayBox::DisplayBox(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setFont(QFont(QStringLiteral("Arial"), 10));
}

void DisplayBox::mouseMoveEvent(QMouseEvent* event) {
    QLineEdit::mouseMoveEvent(event);
    const QPointF at = event->position();
    emit pointerMoved(modelButtons(event->buttons()), modelShift(event->modifiers()),
                      static_cast<float>(at.x()), static_cast<float>(at.y()));
    event->accept();
}

int modelButtons(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

int modelShift(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

}  // namespace quorvane
