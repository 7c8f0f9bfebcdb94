// What the soak programs print about this process's memory: the resident set from
// /proc/self/status and the bytes the allocator has handed out and not had back.
#pragma once

#include <malloc.h>

#include <cstddef>
#include <fstream>
#include <string>

namespace voltaris::soak {

// VmRSS in KiB; -1 when the line is missing (not Linux).
inline long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

// Heap bytes in use, in KiB (glibc's count of allocated chunks).
inline long HeapInUseKiB() {
    return static_cast<long>(mallinfo2().uordblks / 1024);
}

}  // namespace voltaris::soak
