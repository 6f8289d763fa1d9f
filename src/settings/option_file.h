#pragma once

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

// A checkable menu item kept as "True" or "False" under one tag of its own file.
struct CheckOption {
    const char* fileName;  // "QuorvaneTalkers.XML"
    const char* root;
    const char* tag;
};

// Sets the item's check mark from its file. Missing, unreadable or cut short: unchecked, without
// a word.
void loadCheckOption(Form1& form, MenuItem& item, const CheckOption& option);
// Saves the item's check mark whole and safely. The failure's text (also logged), or "".
std::string saveCheckOption(Form1& form, const MenuItem& item, const CheckOption& option);
// A click: turns the check mark over and saves it. When the save fails the mark goes back, so it
// shows what the next start will find, and the user is told in a box. True when the new state
// holds.
bool toggleCheckOption(Form1& form, MenuItem& item, const CheckOption& option);

}  // namespace quorvane
