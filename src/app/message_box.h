#pragma once
// Moved to the controls folder; kept for the windows that still include it here.
#include "controls/message_box.h"
