#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <map>

#include "app/form1.h"

class QAction;
class QGridLayout;
class QLabel;
class QMenu;
class QPushButton;

namespace quorvane {

class DisplayBox;
class LampWidget;
class MenuBinder;

// The window on screen: one widget per control of Form1, the menu bar built from Form1's menu
// tree, and Timer1. As the controls' one observer it updates only the widget a change concerns;
// user actions go straight to Form1's handlers.
class MainWindowView : public QMainWindow, public ControlObserver {
    Q_OBJECT
public:
    // iconOf turns the model's picture handles into icons (the desktop's loaded pictures).
    MainWindowView(Form1& form, std::function<QIcon(Picture)> iconOf, QWidget* parent = nullptr);
    ~MainWindowView() override;

    void controlChanged(const Control& control) override;

    // Starts Timer1 (if the model has it enabled); until then no tick runs.
    void startHeartbeat();

    // The widget that shows a control, by the control's handle; nullptr if none.
    QWidget* widgetFor(WindowHandle handle) const;
    QMenu* menuFor(const MenuItem& item) const;
    QAction* actionFor(const MenuItem& item) const;
    const QTimer& heartbeat() const { return heartbeat_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
#ifdef _WIN32
    // Windows tells its top-level windows of a resume from suspend.
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

private:
    using MouseMoveHandler = void (Form1::*)(int, int, float, float);

    void buildWidgets();
    // A caption and its display; onMove, if any, is raised by every pointer movement over it.
    void addDisplayRow(QGridLayout& grid, int row, Label& caption, TextDisplay& display,
                       MouseMoveHandler onMove);
    void bind(TextDisplay& control, DisplayBox* box);
    void bind(Label& control, QLabel* label);
    void bind(Lamp& control, LampWidget* lamp);
    void bind(PushButton& control, QPushButton* button);
    void applyWindow();
    void applyTimer();
    // Handlers run only while the program lives.
    bool live() const { return !form_.ProgramEnded; }

    Form1& form_;
    std::function<QIcon(Picture)> iconOf_;
    MenuBinder* menus_ = nullptr;
    QTimer heartbeat_;
    bool heartbeatStarted_ = false;
    std::map<const Control*, std::function<void()>> updaters_;
    std::map<WindowHandle, QWidget*> widgets_;

    // The window's model values last carried out, so only real changes act on the window.
    WindowState appliedState_;
    bool appliedVisible_;
    int appliedShows_;
};

}  // namespace quorvane
