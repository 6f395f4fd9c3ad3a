// The console front end: runs the install worker and prints every
// notification it posts, one line each, until the worker's final message.
// For machines without a display, and the program's front end until the
// window exists.
#pragma once

#include <cstdint>
#include <string>

// Parses the command line, starts the worker on Services::DoWork, prints its
// notifications on this (the UI) thread, and returns the process exit code
// (0) once 1124 has arrived.
int RunConsoleFrontEnd();

// The console line for a received notification; takes over and frees its
// payload. "" for messages that show nothing.
std::string DescribeNotification(uint32_t message, intptr_t payload);

// Prints the notification's line on standard output (UTF-8) and frees its
// payload. Returns true for the worker's final message (1124). UI thread.
bool ShowNotification(uint32_t message, intptr_t payload);
