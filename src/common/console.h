#pragma once
// What the standard streams are connected to.

// True when standard error is an interactive terminal (a console window).
bool StandardErrorIsTerminal();

// From now on standard output passes bytes unchanged (Windows would turn
// each LF into CR LF).
void StandardOutputAsBytes();
