#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#endif

// What a call returned and every byte it printed on standard output.
struct Printed {
    float value;
    std::string output;
};

#ifdef _WIN32

// Runs call with standard output's descriptor on a file of its own in the
// current folder (Windows lets nothing replace stdout itself), in binary mode
// as the program sets it.
template <typename Call>
Printed capturePrinted(Call call) {
    std::string name = "captured-" + std::to_string(_getpid()) + ".tmp";
    std::FILE* file = std::fopen(name.c_str(), "w+b");
    std::fflush(stdout);
    int saved = _dup(_fileno(stdout));
    _dup2(_fileno(file), _fileno(stdout));
    _setmode(_fileno(stdout), _O_BINARY);
    float value = call();
    std::fflush(stdout);
    _dup2(saved, _fileno(stdout));
    _close(saved);
    std::string output;
    std::rewind(file);
    char buffer[4096];
    for (std::size_t read = 0; (read = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        output.append(buffer, read);
    std::fclose(file);
    std::remove(name.c_str());
    return {value, output};
}

#else

// Runs call with standard output going to memory (glibc lets a program point
// stdout elsewhere), so that thousands of captures take no files.
template <typename Call>
Printed capturePrinted(Call call) {
    char* bytes = nullptr;
    std::size_t size = 0;
    std::FILE* memory = open_memstream(&bytes, &size);
    std::FILE* saved = stdout;
    stdout = memory;
    float value = call();
    stdout = saved;
    std::fclose(memory);
    Printed printed{value, std::string(bytes, size)};
    std::free(bytes);
    return printed;
}

#endif

// Bit for bit, so that -0 differs from 0; NaNs match by sign alone.
inline bool sameFloat(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b);
    }
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}
