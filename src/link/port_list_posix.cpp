#include "link/port_list.h"

#include <libserialport.h>

std::vector<SerialPortInfo> ListSerialPorts() {
  std::vector<SerialPortInfo> result;
  sp_port** ports = nullptr;
  if (sp_list_ports(&ports) != SP_OK || ports == nullptr) return result;
  for (int i = 0; ports[i] != nullptr; ++i) {
    const char* full = sp_get_port_name(ports[i]);
    const char* desc = sp_get_port_description(ports[i]);
    if (full == nullptr) continue;
    std::string name = full;
    const std::string prefix = "/dev/";
    if (name.compare(0, prefix.size(), prefix) == 0) name = name.substr(prefix.size());
    result.push_back({name, desc != nullptr ? desc : ""});
  }
  sp_free_port_list(ports);
  return result;
}

std::string PortPathForName(const std::string& name) { return "/dev/" + name; }

std::string PortArgumentForName(const std::string& name) { return PortPathForName(name); }
