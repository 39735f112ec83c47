// Placeholder entry point until the main window is built on the framework layer.
#include <cstdio>

int main() {
    std::puts("Pemdaro: the libraries are built, but the window is not there yet.");
    return 0;
}
