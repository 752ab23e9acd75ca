// The resident memory of this process, and starting a copy of this program, on each system.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ProcessMemory {
    std::uint64_t resident = 0;      // bytes in memory now
    std::uint64_t peak_resident = 0; // the most bytes in memory so far
};

ProcessMemory process_memory();

// Lowers the peak to the present where the system allows it (Linux); elsewhere the peak
// keeps what start-up reached.
void reset_peak_resident();

// Runs this program again with `arguments` and waits for it; its exit code, or -1 when it
// could not be started.
int run_this_program(const std::vector<std::string>& arguments);
