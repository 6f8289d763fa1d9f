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
    // The same path always gets the same handle, read afresh, so swapping pictures back and
    // forth all day does not pile up copies.
    Picture loadPicture(const std::string& path, PictureColour fallback) override;
    void unloadAllWindows() override;
    void endProgram() override;

    // The picture behind a handle; an empty icon for 0 or an unknown handle.
    QIcon icon(Picture picture) const;
    bool ended() const { return ended_; }

private:
    std::map<std::string, Picture> handles_;
    std::map<Picture, QIcon> icons_;
    QPointer<QProgressDialog> progress_;
    bool ended_ = false;
};

}  // namespace quorvane
