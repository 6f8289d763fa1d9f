#include "platform/win32/com_ports.h"

#include <algorithm>
#include <cwchar>
#include <optional>

#include "platform/win32/wide_text.h"

// After the program's own headers: its macros would rename their constants.
#include <windows.h>

namespace quorvane {

namespace {

// Far beyond any port name; a value that keeps growing past it is skipped.
constexpr std::size_t kLargestValue = 1 << 16;

// One value's text, or nullopt when it is not text. Registry strings need not end in a NUL.
std::optional<std::string> textOf(DWORD type, const std::wstring& data, DWORD bytes) {
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return std::nullopt;
    }
    std::wstring text = data.substr(0, bytes / sizeof(wchar_t));
    text.resize(std::wcslen(text.c_str()));
    return narrow(text);
}

}  // namespace

std::vector<std::string> serialCommDevices() {
    return comDevicesInKey(RegistryHive::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM");
}

std::vector<std::string> comDevicesInKey(RegistryHive hive, const std::string& key) {
    std::vector<std::string> devices;
    const std::optional<std::wstring> wideKey = widen(key);
    HKEY handle = nullptr;
    if (!wideKey ||
        RegOpenKeyExW(hive == RegistryHive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                      wideKey->c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) {
        return devices;
    }
    DWORD longestName = 0, largestData = 0;
    RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     &longestName, &largestData, nullptr, nullptr);
    std::wstring name(longestName + 1, L'\0');
    std::wstring data(largestData / sizeof(wchar_t) + 1, L'\0');
    for (DWORD index = 0;;) {
        auto nameLength = static_cast<DWORD>(name.size());
        auto dataBytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        DWORD type = 0;
        const LONG result = RegEnumValueW(handle, index, name.data(), &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data.data()), &dataBytes);
        if (result == ERROR_MORE_DATA && data.size() < kLargestValue) {
            // A port arrived since the sizes were read: make room and ask again.
            name.resize(std::max<std::size_t>(name.size() * 2, 256));
            data.resize(data.size() * 2);
            continue;
        }
        if (result == ERROR_MORE_DATA) {
            ++index;
            continue;
        }
        if (result != ERROR_SUCCESS) {
            break;
        }
        if (const std::optional<std::string> text = textOf(type, data, dataBytes)) {
            devices.push_back(*text);
        }
        ++index;
    }
    RegCloseKey(handle);
    return devices;
}

}  // namespace quorvane
