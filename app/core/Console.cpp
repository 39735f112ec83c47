#include "CommandRun.h"

void UseCallersConsole() {
    // The standard streams are the caller's already.
}
