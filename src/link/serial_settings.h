#pragma once
// Line settings of the serial link, the fields the port compares and applies.
#include <cstdint>

struct SerialSettings {
  enum Parity : uint8_t { kNoParity = 0, kOddParity = 1, kEvenParity = 2 };
  enum StopBits : uint8_t { kOneStopBit = 0, kOneAndHalfStopBits = 1, kTwoStopBits = 2 };

  uint32_t baudRate = 0;
  uint8_t dataBits = 0;
  uint8_t parity = kNoParity;
  uint8_t stopBits = kOneStopBit;
  // Flow control flags; all off for the logger.
  bool outxCtsFlow = false;
  bool outxDsrFlow = false;
  bool dsrSensitivity = false;
  bool outX = false;
  bool inX = false;
  uint8_t rtsControl = 0;

  // 9600 baud, 8 data bits, no parity, one stop bit, no flow control.
  static SerialSettings Logger() {
    SerialSettings s;
    s.baudRate = 9600;
    s.dataBits = 8;
    return s;
  }

  // The fields whose change makes an open port reopen.
  bool SameLine(const SerialSettings& o) const {
    return baudRate == o.baudRate && dataBits == o.dataBits && stopBits == o.stopBits && parity == o.parity &&
           outxCtsFlow == o.outxCtsFlow && outxDsrFlow == o.outxDsrFlow && dsrSensitivity == o.dsrSensitivity &&
           outX == o.outX && inX == o.inX && rtsControl == o.rtsControl;
  }
};
