#pragma once

#include <cstdint>
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
