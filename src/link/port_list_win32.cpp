// The serial ports of a Windows machine: the present devices of the ports
// class with their friendly names, then any port the system's serial map
// names that the device setup did not report.
#include <windows.h>
// clang-format off
#include <devguid.h>
#include <setupapi.h>
// clang-format on

#include <algorithm>

#include "link/port_list.h"

namespace {

std::string RegistryString(HKEY key, const char* value) {
  char data[256] = {};
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  if (RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return std::string();
  return std::string(data, strnlen(data, size));
}

void AddSetupPorts(std::vector<SerialPortInfo>* ports) {
  const HDEVINFO set = SetupDiGetClassDevsA(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
    const HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) continue;
    const std::string name = RegistryString(key, "PortName");
    RegCloseKey(key);
    if (name.compare(0, 3, "COM") != 0) continue;  // printer ports share the class
    char friendly[256] = {};
    std::string description;
    if (SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_FRIENDLYNAME, nullptr, reinterpret_cast<BYTE*>(friendly),
                                          sizeof friendly - 1, nullptr))
      description = friendly;
    ports->push_back({name, description});
  }
  SetupDiDestroyDeviceInfoList(set);
}

void AddSerialMapPorts(std::vector<SerialPortInfo>* ports) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  for (DWORD i = 0;; ++i) {
    char device[256] = {};
    char name[256] = {};
    DWORD deviceSize = sizeof device - 1, nameSize = sizeof name - 1, type = 0;
    const LONG r = RegEnumValueA(key, i, device, &deviceSize, nullptr, &type, reinterpret_cast<BYTE*>(name), &nameSize);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r != ERROR_SUCCESS || type != REG_SZ) continue;
    const std::string port(name, strnlen(name, nameSize));
    const bool known =
        std::any_of(ports->begin(), ports->end(), [&](const SerialPortInfo& p) { return p.name == port; });
    if (!known && !port.empty()) ports->push_back({port, device});
  }
  RegCloseKey(key);
}

}  // namespace

std::vector<SerialPortInfo> ListSerialPorts() {
  std::vector<SerialPortInfo> ports;
  AddSetupPorts(&ports);
  AddSerialMapPorts(&ports);
  return ports;
}

std::string PortPathForName(const std::string& name) { return "\\\\.\\" + name; }

std::string PortArgumentForName(const std::string& name) { return name; }
