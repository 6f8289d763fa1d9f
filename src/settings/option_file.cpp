#include "settings/option_file.h"

#include "settings/settings_reader.h"

namespace quorvane {

std::string formatOptionFile(std::string_view root, const std::vector<OptionEntry>& entries) {
    const std::string name(root);
    std::string text = "<?xml version=\"1.0\" standalone=\"no\"?>\r\n";
    text += " <" + name + ">\r\n";
    for (const OptionEntry& entry : entries) {
        text += "   <" + entry.tag + ">" + entry.value + "</" + entry.tag + ">\r\n";
    }
    text += " </" + name + ">\r\n";
    return text;
}

std::optional<std::vector<OptionEntry>> parseOptionFile(std::string_view root,
                                                        std::string_view bytes) {
    // A file cut short by a failed write lacks its last line.
    if (bytes.find(" </" + std::string(root) + ">") == std::string_view::npos) {
        return std::nullopt;
    }
    std::vector<OptionEntry> entries;
    readSettingsEntries(bytes, [&entries](std::string_view tag, const std::string& value) {
        entries.push_back({std::string(tag), value});
    });
    return entries;
}

}  // namespace quorvane
