#pragma once
// Operations that change the logger's state and carry no values of their
// own: test transmission, clock sync, stop, clear, reset, module restart.
#include "operations/operation.h"

class CDeviceSession;

namespace ops {

// "MAIL START". Refused without sending while the logger measures (needs
// the "RD SYS" listing of this connection to know).
Result SendTestTransmission(CDeviceSession& session);
// "MAIL TIME", then the full refresh.
Result SyncClock(CDeviceSession& session);
// "ST STP", up to three tries.
Result StopMeasurement(CDeviceSession& session);
// Identify, "ST CLR" with its tries, refresh of the memory range.
Result ClearMemory(CDeviceSession& session);
// "ST RES" with its tries, then the full refresh; success says "成功".
Result ResetDevice(CDeviceSession& session);
// The communication module's restart sequence.
Result RestartModule(CDeviceSession& session);

}  // namespace ops
