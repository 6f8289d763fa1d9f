#pragma once

#include <stdexcept>
#include <string>

namespace quorvane {

// A file failure, numbered as the settings-file message table numbers it:
// 53 missing file, 76 missing folder, 75 access refused, 70 locked, 61 disk full,
// 57 device input/output fault, 71 not ready; anything else its own number.
class FileError : public std::runtime_error {
public:
    FileError(int number, const std::string& what) : std::runtime_error(what), number_(number) {}
    int number() const { return number_; }

private:
    int number_;
};

// A file that is there but can never serve as a text file: too large, or not an ordinary file.
// Unlike a refusal or a fault, which may pass, trying again will not help.
class UnfitFile : public FileError {
public:
    using FileError::FileError;
};

class TextFiles {
public:
    virtual ~TextFiles() = default;

    // The folder that holds the program's executable, without a trailing separator.
    virtual std::string programFolder() = 0;
    // The running executable's own path, whatever it was renamed to or started through.
    virtual std::string executablePath() = 0;
    // The whole file as bytes: an ordinary file only, of at most kLargestReadableFile bytes.
    // Throws FileError, UnfitFile for anything else.
    virtual std::string readAll(const std::string& path) = 0;
    // Replaces the file whole: written beside it under another name, then renamed over it, so a
    // failure leaves the previous file intact. Never replaces what this user could not write in
    // place; a link stays a link. Throws FileError.
    virtual void replaceWhole(const std::string& path, const std::string& bytes) = 0;
    // Renames whatever `path` names (a link stays a link) to `to`, replacing a file there.
    // Throws FileError.
    virtual void rename(const std::string& path, const std::string& to) = 0;
};

// Joins a folder and a file name with this platform's separator.
std::string joinPath(const std::string& folder, const std::string& name);

}  // namespace quorvane
