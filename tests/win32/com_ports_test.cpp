#include "platform/win32/com_ports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/port_numbering.h"
#include "win32_test_support.h"

namespace quorvane::testing {
namespace {

// A key of the test's own under HKEY_CURRENT_USER, laid out as SERIALCOMM is, removed after.
class ComKey : public ::testing::Test {
protected:
    void SetUp() override {
        name = "Software\\Quorvane tests\\SERIALCOMM-" + std::to_string(GetCurrentProcessId());
        wide = *widen(name);
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, wide.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        if (key != nullptr) {
            RegCloseKey(key);
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, wide.c_str());
    }
    // `bytes` lets a test leave out the closing NUL, as some drivers do.
    void text(const std::wstring& value, const std::wstring& data, std::size_t bytes = 0) {
        const DWORD size = static_cast<DWORD>(bytes ? bytes : (data.size() + 1) * sizeof(wchar_t));
        ASSERT_EQ(RegSetValueExW(key, value.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(data.c_str()), size),
                  ERROR_SUCCESS);
    }

    std::string name;
    std::wstring wide;
    HKEY key = nullptr;
};

TEST_F(ComKey, EveryTextValueIsAPortAndOnlyComNamesGetANumber) {
    text(L"\\Device\\Serial0", L"COM1");
    text(L"\\Device\\VCP0", L"COM12");
    text(L"\\Device\\Silabser0", L"COM3", 4 * sizeof(wchar_t));  // no closing NUL
    text(L"\\Device\\Parallel", L"LPT1");
    text(L"\\Device\\Beyond", L"COM256");
    const DWORD five = 5;
    ASSERT_EQ(RegSetValueExW(key, L"\\Device\\Number", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&five), sizeof five),
              ERROR_SUCCESS);

    std::vector<std::string> devices = comDevicesInKey(RegistryHive::CurrentUser, name);
    std::sort(devices.begin(), devices.end());
    EXPECT_EQ(devices, (std::vector<std::string>{"COM1", "COM12", "COM256", "COM3", "LPT1"}));

    const std::vector<NumberedPort> expected{{1, "COM1"}, {3, "COM3"}, {12, "COM12"}};
    EXPECT_EQ(numberPorts(devices, {}), expected);
}

TEST_F(ComKey, AMissingKeyListsNothing) {
    EXPECT_TRUE(comDevicesInKey(RegistryHive::CurrentUser, name + "\\none").empty());
    EXPECT_TRUE(comDevicesInKey(RegistryHive::CurrentUser, name).empty());
}

}  // namespace
}  // namespace quorvane::testing
