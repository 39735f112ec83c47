// Where the running program file is.
#pragma once

#include <string>

// The path of the running program file (from /proc/self/exe), in the file system's
// encoding; empty when it cannot be read.
std::string ExecutablePath();
