// Standard error as the headless front end's console.
#pragma once

#include <string>

// True when standard error is a terminal (POSIX: isatty; Windows: a console,
// GetConsoleMode). Then the status is redrawn in place.
bool StderrIsTerminal();

// Writes UTF-8 text to standard error at once. A Windows console gets it as
// UTF-16 (WriteConsoleW), so Chinese text shows whatever the console's code
// page; files and pipes get the UTF-8 bytes. Any thread.
void WriteStderr(const std::string& utf8);
