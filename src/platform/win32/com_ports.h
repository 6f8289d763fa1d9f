#pragma once

#include <string>
#include <vector>

namespace quorvane {

enum class RegistryHive { LocalMachine, CurrentUser };

// The serial ports Windows lists under HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM: the
// data of each value, "COM3" and the like, in the key's order. numberPorts() turns them into
// the Port menu's numbers (COM3 is Com3) and leaves out any name that is not COMn.
std::vector<std::string> serialCommDevices();

// The same from any key; a missing or unreadable key lists nothing. Values that are not text
// are skipped.
std::vector<std::string> comDevicesInKey(RegistryHive hive, const std::string& key);

}  // namespace quorvane
