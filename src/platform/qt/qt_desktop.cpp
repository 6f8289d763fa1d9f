#include "platform/qt/qt_desktop.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>
#include <QInputDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QWidget>
#include <vector>

namespace quorvane {

QColor pictureColour(PictureColour colour) {
    switch (colour) {
        case PictureColour::Green:
            return QColor(0x20, 0xd0, 0x30);
        case PictureColour::Red:
            return QColor(0xff, 0x2a, 0x1a);
        case PictureColour::Yellow:
            break;
    }
    return QColor(0xff, 0xd2, 0x00);
}

QIcon fallbackIcon(PictureColour colour) {
    const QColor fill = pictureColour(colour);
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(fill.darker(250), size / 16.0));
        painter.setBrush(fill);
        const qreal margin = size / 8.0;
        painter.drawEllipse(QRectF(margin, margin, size - 2 * margin, size - 2 * margin));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

namespace {

// Every image of the file (an .ico holds several sizes); an empty icon if none can be read.
QIcon readIconFile(const QString& path) {
    QIcon icon;
    QImageReader reader(path);
    do {
        const QImage image = reader.read();
        if (image.isNull()) {
            break;
        }
        icon.addPixmap(QPixmap::fromImage(image));
    } while (reader.jumpToNextImage());
    return icon;
}

// Window texts may carry CR LF line ends; Qt wants LF alone.
QString displayText(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

void QtDesktop::messageBox(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::NoIcon, displayText(title), displayText(text), QMessageBox::Ok);
    box.exec();
}

bool QtDesktop::askOkCancel(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::Question, displayText(title), displayText(text),
                    QMessageBox::Ok | QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

std::optional<int> QtDesktop::askNumber(const std::string& text, const std::string& title,
                                        int value, int low, int high) {
    bool ok = false;
    const int number = QInputDialog::getInt(nullptr, displayText(title), displayText(text), value,
                                            low, high, 1, &ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

void QtDesktop::showNotice(const std::string& text, const std::string& title) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, displayText(title), displayText(text),
                                QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void QtDesktop::showProgress(const std::string& text, const std::string& title, int steps,
                             std::function<void()> onCancel) {
    closeProgress();
    progress_ = new QProgressDialog(displayText(text), QStringLiteral("Cancel"), 0, steps);
    progress_->setWindowTitle(displayText(title));
    progress_->setWindowModality(Qt::NonModal);
    // Shown at once, and left up at the last step: the caller closes it.
    progress_->setMinimumDuration(0);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setValue(0);
    QObject::connect(progress_, &QProgressDialog::canceled, progress_,
                     [this, onCancel = std::move(onCancel)] {
                         // Closing drops this connection; keep what is still to run.
                         const std::function<void()> cancel = onCancel;
                         closeProgress();
                         if (cancel) {
                             cancel();
                         }
                     });
    progress_->show();
}

void QtDesktop::setProgress(int step, const std::string& text) {
    if (progress_) {
        progress_->setLabelText(displayText(text));
        progress_->setValue(step);
    }
}

void QtDesktop::closeProgress() {
    if (!progress_) {
        return;
    }
    // Closing the dialog raises canceled(); only the Cancel button is the user's cancel.
    QProgressDialog* dialog = progress_;
    progress_ = nullptr;
    QObject::disconnect(dialog, &QProgressDialog::canceled, nullptr, nullptr);
    dialog->hide();
    dialog->deleteLater();
}

void QtDesktop::beep() {
    QApplication::beep();
}

void QtDesktop::pumpEvents() {
    QCoreApplication::processEvents();
}

Picture QtDesktop::loadPicture(const std::string& path, PictureColour fallback) {
    auto [it, added] = handles_.try_emplace(path, static_cast<Picture>(handles_.size() + 1));
    const QFileInfo file(QString::fromStdString(path));
    const std::pair<qint64, qint64> stamp =
        file.exists() ? std::pair{file.size(), file.lastModified().toMSecsSinceEpoch()}
                      : std::pair<qint64, qint64>{-1, -1};
    if (!added && read_[it->second] == stamp) {
        return it->second;
    }
    read_[it->second] = stamp;
    QIcon icon = readIconFile(QString::fromStdString(path));
    icons_[it->second] = icon.isNull() ? fallbackIcon(fallback) : icon;
    return it->second;
}

QIcon QtDesktop::icon(Picture picture) const {
    const auto it = icons_.find(picture);
    return it == icons_.end() ? QIcon() : it->second;
}

void QtDesktop::unloadAllWindows() {
    // Closing may delete or open windows; work from a guarded snapshot.
    std::vector<QPointer<QWidget>> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        windows.emplace_back(widget);
    }
    for (const QPointer<QWidget>& window : windows) {
        if (window) {
            window->close();
            pumpEvents();
        }
    }
}

void QtDesktop::endProgram() {
    ended_ = true;
    // Leaves every running event loop, nested ones included.
    QCoreApplication::exit(0);
}

}  // namespace quorvane
