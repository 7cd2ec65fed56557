// The process's resident memory, for the programs that measure it.
#pragma once

#include <fstream>
#include <string>

namespace korvane::bench {

// Resident set size in kB from /proc/self/status; -1 when it cannot be read.
inline long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

} // namespace korvane::bench
