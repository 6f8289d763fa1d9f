#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

class Form1;
class MenuItem;

// Options beyond the settings file live in small files of their own beside the program, so the
// settings file's lines never change for them. Each file holds one root and one tag per line.
struct OptionEntry {
    std::string tag;
    std::string value;

    friend bool operator==(const OptionEntry&, const OptionEntry&) = default;
};

// The file's bytes: CR LF lines, the root's lines around the entries, values as they are.
std::string formatOptionFile(std::string_view root, const std::vector<OptionEntry>& entries);
// The entries the bytes hold, in file order, values read as the settings file's are. nullopt for
// a file cut short by a failed write (no closing root line): none of it is to be trusted.
std::optional<std::vector<OptionEntry>> parseOptionFile(std::string_view root,
                                                        std::string_view bytes);

// The entries of an option file beside the program; none where it is missing, unreadable or cut
// short, so that the options take their defaults without a word.
std::vector<OptionEntry> readOptionFile(Form1& form, const char* fileName, std::string_view root);
// Saves an option file whole and safely. The failure's text (also logged), or "".
std::string saveOptionFile(Form1& form, const char* fileName, std::string_view root,
                           const std::vector<OptionEntry>& entries);

// A click on a checkable option kept in a file: turns the check mark over and saves it with
// `save`, which returns saveOptionFile's answer. When the save fails the mark goes back, so it
// shows what the next start will find, and the user is told in a box. True when the new state
// holds.
bool toggleSavedOption(Form1& form, MenuItem& item, const char* fileName,
                       const std::function<std::string()>& save);

// A checkable menu item kept as "True" or "False" under one tag of its own file.
struct CheckOption {
    const char* fileName;  // "QuorvaneTalkers.XML"
    const char* root;
    const char* tag;
};

// Sets the item's check mark from its file: unchecked where the file has no say.
void loadCheckOption(Form1& form, MenuItem& item, const CheckOption& option);
// A click on it: toggleSavedOption with the item's one entry.
bool toggleCheckOption(Form1& form, MenuItem& item, const CheckOption& option);

}  // namespace quorvane
