#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quorvane {

// A loaded picture, by handle; 0 is no picture.
using Picture = std::int32_t;

// The colour a picture stands for, drawn built-in when its file is missing or unreadable.
enum class PictureColour { Yellow, Green, Red };

class Desktop {
public:
    virtual ~Desktop() = default;

    // Modal box with one OK button and no icon; returns when the user has answered.
    virtual void messageBox(const std::string& text, const std::string& title) = 0;
    // Modal box with OK and Cancel; true for OK.
    virtual bool askOkCancel(const std::string& text, const std::string& title) = 0;
    // Modal question for a whole number from low to high, offering value; nullopt if cancelled.
    virtual std::optional<int> askNumber(const std::string& text, const std::string& title,
                                         int value, int low, int high) = 0;
    // A box with one OK button that blocks nothing: events and the timer go on while it is up.
    virtual void showNotice(const std::string& text, const std::string& title) = 0;
    // A progress window that blocks nothing: a text, a bar of `steps` steps and a Cancel button
    // that runs onCancel. One at a time; showing another replaces it.
    virtual void showProgress(const std::string& text, const std::string& title, int steps,
                              std::function<void()> onCancel) = 0;
    virtual void setProgress(int step, const std::string& text) = 0;
    // Closes the progress window without running its onCancel.
    virtual void closeProgress() = 0;
    virtual void beep() = 0;
    // Processes all pending window events once and returns.
    virtual void pumpEvents() = 0;
    virtual Picture loadPicture(const std::string& path, PictureColour fallback) = 0;
    // Unloads every window; each raises its close request on the way.
    virtual void unloadAllWindows() = 0;
    // Ends the program: the event loop stops and nothing more is dispatched.
    virtual void endProgram() = 0;
};

}  // namespace quorvane
