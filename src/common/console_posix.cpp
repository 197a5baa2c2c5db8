#include <unistd.h>

#include "common/console.h"

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void StandardOutputAsBytes() {}
