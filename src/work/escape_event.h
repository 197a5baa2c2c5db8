#pragma once
// The abort event of an abortable work run: set by the progress dialog's
// abort button on the UI thread, polled by the work on the worker thread.
#include "common/abort_event.h"

class CEscapeEvent : public AbortEvent {};
