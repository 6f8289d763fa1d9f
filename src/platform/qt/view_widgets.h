#pragma once

#include <QLineEdit>
#include <QWidget>
#include <cstdint>

namespace quorvane {

// A round lamp filled with a colour stored as the window model stores it: 0x00BBGGRR.
class LampWidget : public QWidget {
    Q_OBJECT
public:
    explicit LampWidget(QWidget* parent = nullptr);
    void setModelColour(std::int32_t colour);
    QColor colour() const { return colour_; }
    QSize sizeHint() const override { return {22, 22}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
};

// Converts the model's 0x00BBGGRR colour (red in the low byte) to a QColor.
QColor colourFromModel(std::int32_t colour);

// A one-line read-only display that reports every pointer movement over it, and keeps the
// movement from reaching the window's background.
class DisplayBox : public QLineEdit {
    Q_OBJECT
public:
    explicit DisplayBox(QWidget* parent = nullptr);

signals:
    void pointerMoved(int button, int shift, float x, float y);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
};

// The mouse-move arguments of the window model: button 1 left, 2 right, 4 middle;
// shift 1 Shift, 2 Ctrl, 4 Alt.
int modelButtons(Qt::MouseButtons buttons);
int modelShift(Qt::KeyboardModifiers modifiers);

}  // namespace quorvane
