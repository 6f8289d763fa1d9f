#pragma once

#include <QColor>
#include <QIcon>
#include <QPointer>
#include <QProgressDialog>
#include <map>
#include <string>

#include "platform/desktop.h"

namespace quorvane {

// The colour a built-in picture is drawn in.
QColor pictureColour(PictureColour colour);
// The picture used when an icon file is missing or unreadable: a lamp of the same colour.
QIcon fallbackIcon(PictureColour colour);

// Message box, beep, event loop and pictures over Qt Widgets.
class QtDesktop : public Desktop {
public:
    void messageBox(const std::string& text, const std::string& title) override;
    bool askOkCancel(const std::string& text, const std::string& title) override;
    std::optional<int> askNumber(const std::string& text, const std::string& title, int value,
                                 int low, int high) override;
    void showNotice(const std::string& text, const std::string& title) override;
    void showProgress(const std::string& text, const std::string& title, int steps,
                      std::function<void()> onCancel) override;
    void setProgress(int step, const std::string& text) override;
    void closeProgress() override;
    void beep() override;
    void pumpEvents() override;
    // The same path always gets the same handle, so swapping pictures back and forth all day
    // does not pile up copies. The file is read again only when it has changed: Qt caches the
    // drawn sizes of every picture ever read (up to 10 MB), and a new read is a new picture.
    Picture loadPicture(const std::string& path, PictureColour fallback) override;
    void unloadAllWindows() override;
    void endProgram() override;

    // The picture behind a handle; an empty icon for 0 or an unknown handle.
    QIcon icon(Picture picture) const;
    bool ended() const { return ended_; }

private:
    std::map<std::string, Picture> handles_;
    std::map<Picture, QIcon> icons_;
    // Size and modification time (ms since 1970) of the file each picture was read from; -1 for
    // a file that could not be found.
    std::map<Picture, std::pair<qint64, qint64>> read_;
    QPointer<QProgressDialog> progress_;
    bool ended_ = false;
};

}  // namespace quorvane
