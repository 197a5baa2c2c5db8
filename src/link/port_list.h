#pragma once
// The serial ports present on this machine, as the port selection offers them.
#include <string>
#include <vector>

struct SerialPortInfo {
  std::string name;         // e.g. "ttyUSB0", "COM3"
  std::string description;  // what the system says about the device
};

// Ports reported by the system's serial port enumeration, in its order.
std::vector<SerialPortInfo> ListSerialPorts();

// The device path for a port name: "/dev/ttyUSB0", "\\\\.\\COM3".
std::string PortPathForName(const std::string& name);

// How a user names the port on this system's command line: the device path
// on Linux ("/dev/ttyUSB0"), the port name on Windows ("COM3"). The serial
// device opens either, and a bare Linux name too.
std::string PortArgumentForName(const std::string& name);
