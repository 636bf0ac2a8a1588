// For the Windows console test: sets the console's output and input code
// pages to the one given, if any, and prints both as they are then.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc > 1) {
        auto page = static_cast<UINT>(std::atoi(argv[1]));
        SetConsoleOutputCP(page);
        SetConsoleCP(page);
    }
    std::printf("code pages %u %u\n", GetConsoleOutputCP(), GetConsoleCP());
}
