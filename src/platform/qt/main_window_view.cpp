#include "platform/qt/main_window_view.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <functional>

#include "platform/qt/menu_binder.h"
#include "platform/qt/view_widgets.h"

#ifdef _WIN32
// Last: its macros would rename what the headers above declare.
#include <windows.h>
#endif

namespace quorvane {

namespace {

QString qtText(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

MainWindowView::MainWindowView(Form1& form, std::function<QIcon(Picture)> iconOf, QWidget* parent)
    : QMainWindow(parent),
      form_(form),
      iconOf_(std::move(iconOf)),
      appliedState_(form.window.state()),
      appliedVisible_(form.window.visible()),
      appliedShows_(form.window.showRequests()) {
    setObjectName(QStringLiteral("Form1"));
    buildWidgets();
    menus_ = new MenuBinder(
        form_.MenuBar, menuBar(), [this] { return live(); }, this);
    widgets_[form_.window.hWnd()] = this;
    updaters_[&form_.window] = [this] { applyWindow(); };
    updaters_[&form_.Timer1] = [this] { applyTimer(); };
    // Queued: Qt does not fire a timer again while its own timeout is still being handled, so
    // a box opened inside a tick would stop the heartbeat until answered. Run from a posted
    // event, the tick leaves the timer free to fire inside the box's event loop. A posted tick
    // that runs late can land next to the following one; the model lets only one tick a second
    // do the timed work, so such a pair ages nothing twice.
    connect(
        &heartbeat_, &QTimer::timeout, this,
        [this] {
            if (live()) {
                form_.Timer1_Timer();
            }
        },
        Qt::QueuedConnection);

    for (auto& [control, update] : updaters_) {
        update();
    }
    form_.setObserver(this);
#ifdef _WIN32
    // The window exists for Windows even while it starts hidden in the tray, so that the
    // resume notice reaches it.
    winId();
#endif
}

#ifdef _WIN32
bool MainWindowView::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    const auto* native = static_cast<const MSG*>(message);
    if (native->message == WM_POWERBROADCAST && native->wParam == PBT_APMRESUMEAUTOMATIC &&
        live()) {
        form_.Form_PowerResume();
    }
    // Windows may end the process as soon as the end of the session is answered: the rate is
    // let go of at the question, and taken up again if the session goes on.
    if (native->message == WM_QUERYENDSESSION && live()) {
        form_.Form_SessionEnding();
    } else if (native->message == WM_ENDSESSION && live()) {
        if (native->wParam != FALSE) {
            form_.Form_QueryUnload();
        } else {
            form_.Form_SessionGoesOn();
        }
    }
    return QMainWindow::nativeEvent(eventType, message, result);
}
#endif

MainWindowView::~MainWindowView() {
    form_.setObserver(nullptr);
}

void MainWindowView::buildWidgets() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("background"));
    // Movements over the background (labels, lamps and the button pass theirs on) hide the
    // balloon; the displays keep theirs.
    central->setMouseTracking(true);
    central->installEventFilter(this);
    setCentralWidget(central);

    auto* grid = new QGridLayout(central);
    addDisplayRow(*grid, 0, form_.GPS_Label, form_.TimeGPS, &Form1::TimeGPS_MouseMove);
    addDisplayRow(*grid, 1, form_.Label1, form_.TimeComputer, nullptr);
    addDisplayRow(*grid, 2, form_.Label2, form_.GPSLatitude, &Form1::GPSLatitude_MouseMove);
    addDisplayRow(*grid, 3, form_.Label6, form_.GPSLongitude, &Form1::GPSLongitude_MouseMove);
    addDisplayRow(*grid, 4, form_.Label7, form_.GPSAltitude, &Form1::GPSAltitude_MouseMove);

    auto* nextCaption = new QLabel(central);
    auto* next = new QLabel(central);
    bind(form_.Label5, nextCaption);
    bind(form_.NextGPSUpdate, next);
    grid->addWidget(nextCaption, 5, 0);
    grid->addWidget(next, 5, 1);

    auto* lamps = new QHBoxLayout;
    auto* commOk = new LampWidget(central);
    auto* trackOk = new LampWidget(central);
    commOk->setToolTip(QStringLiteral("Comm OK"));
    trackOk->setToolTip(QStringLiteral("Track OK"));
    bind(form_.GPS_CommOK, commOk);
    bind(form_.TimeValid, trackOk);
    lamps->addWidget(commOk);
    lamps->addWidget(trackOk);
    grid->addLayout(lamps, 5, 2);

    auto* setTime = new QPushButton(central);
    bind(form_.SetComputerClock, setTime);
    connect(setTime, &QPushButton::clicked, this, [this] {
        if (live()) {
            form_.SetComputerClock_Click();
        }
    });
    grid->addWidget(setTime, 5, 3);

    auto* line = new QFrame(central);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    grid->addWidget(line, 6, 0, 1, 4);

    auto* version = new QLabel(central);
    auto* credit = new QLabel(central);
    bind(form_.VersionNumber, version);
    bind(form_.Label4, credit);
    grid->addWidget(version, 7, 0);
    grid->addWidget(credit, 7, 1, 1, 3);
}

void MainWindowView::addDisplayRow(QGridLayout& grid, int row, Label& caption, TextDisplay& display,
                                   MouseMoveHandler onMove) {
    QWidget* central = centralWidget();
    auto* label = new QLabel(central);
    auto* box = new DisplayBox(central);
    box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("W")) * 16);
    bind(caption, label);
    bind(display, box);
    if (onMove != nullptr) {
        connect(box, &DisplayBox::pointerMoved, this,
                [this, onMove](int button, int shift, float x, float y) {
                    if (live()) {
                        std::invoke(onMove, form_, button, shift, x, y);
                    }
                });
    }
    grid.addWidget(label, row, 0);
    grid.addWidget(box, row, 1, 1, 3);
}

void MainWindowView::bind(TextDisplay& control, DisplayBox* box) {
    box->setObjectName(qtText(control.name()));
    widgets_[control.hWnd()] = box;
    updaters_[&control] = [&control, box] { box->setText(qtText(control.text())); };
}

void MainWindowView::bind(Label& control, QLabel* label) {
    label->setObjectName(qtText(control.name()));
    label->setTextFormat(Qt::PlainText);
    widgets_[control.hWnd()] = label;
    updaters_[&control] = [&control, label] {
        label->setText(qtText(control.caption()));
        label->setToolTip(qtText(control.toolTip()));
    };
}

void MainWindowView::bind(Lamp& control, LampWidget* lamp) {
    lamp->setObjectName(qtText(control.name()));
    widgets_[control.hWnd()] = lamp;
    updaters_[&control] = [&control, lamp] { lamp->setModelColour(control.fillColor()); };
}

void MainWindowView::bind(PushButton& control, QPushButton* button) {
    button->setObjectName(qtText(control.name()));
    widgets_[control.hWnd()] = button;
    updaters_[&control] = [&control, button] {
        button->setText(qtText(control.caption()));
        button->setToolTip(qtText(control.toolTip()));
        button->setEnabled(control.enabled());
    };
}

void MainWindowView::controlChanged(const Control& control) {
    const auto it = updaters_.find(&control);
    if (it != updaters_.end()) {
        it->second();
    } else if (menus_ != nullptr) {
        menus_->sync(control);
    }
}

void MainWindowView::applyWindow() {
    const WindowControl& window = form_.window;
    setWindowTitle(qtText(window.caption()));
    setWindowIcon(iconOf_(window.icon()));

    if (window.state() != appliedState_) {
        appliedState_ = window.state();
        setWindowState(appliedState_ == WindowState::Minimized
                           ? windowState() | Qt::WindowMinimized
                           : windowState() & ~Qt::WindowMinimized);
    }
    if (window.visible() != appliedVisible_) {
        appliedVisible_ = window.visible();
        setVisible(appliedVisible_);
    }
    if (window.showRequests() != appliedShows_) {
        appliedShows_ = window.showRequests();
        // Brought up from the tray or from the task bar alike.
        show();
        setWindowState(windowState() & ~Qt::WindowMinimized);
        raise();
        activateWindow();
    }
}

void MainWindowView::applyTimer() {
    heartbeat_.setInterval(form_.Timer1.interval());
    if (heartbeatStarted_ && form_.Timer1.enabled() && live()) {
        heartbeat_.start();
    } else {
        heartbeat_.stop();
    }
}

void MainWindowView::startHeartbeat() {
    heartbeatStarted_ = true;
    applyTimer();
}

QWidget* MainWindowView::widgetFor(WindowHandle handle) const {
    const auto it = widgets_.find(handle);
    return it == widgets_.end() ? nullptr : it->second;
}

QMenu* MainWindowView::menuFor(const MenuItem& item) const {
    return menus_->menuFor(item);
}

QAction* MainWindowView::actionFor(const MenuItem& item) const {
    return menus_->actionFor(item);
}

void MainWindowView::closeEvent(QCloseEvent* event) {
    // The close button ends the program; the request is never refused.
    event->accept();
    if (live()) {
        form_.Form_QueryUnload();
    }
    if (!live()) {
        heartbeat_.stop();
    }
}

bool MainWindowView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::MouseMove && live()) {
        const auto* move = static_cast<QMouseEvent*>(event);
        const QPointF at = move->position();
        form_.Form_MouseMove(modelButtons(move->buttons()), modelShift(move->modifiers()),
                             static_cast<float>(at.x()), static_cast<float>(at.y()));
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace quorvane
