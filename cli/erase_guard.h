#pragma once
// clear and reset erase the logger's records. They go ahead when the archive
// has every record the logger holds; otherwise only with --force, and what
// was erased unread is then named and makes the exit status
// exit_status::kAttention. Without an archive (--no-archive, or a build
// without one) nothing can tell which records were not read: --force is
// needed before anything is sent.
#include <functional>

#include "operations/operation.h"

class Connection;
class CDeviceSession;

// Connects and runs `erase` as above; `command` ("clear", "reset") names it in
// the messages. Returns the exit status.
int RunGuardedErase(Connection& connection, bool force, const char* command,
                    const std::function<ops::Result(CDeviceSession&)>& erase);
