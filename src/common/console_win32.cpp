#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "common/console.h"

bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void StandardOutputAsBytes() {
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
}
