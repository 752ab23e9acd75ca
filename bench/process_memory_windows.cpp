#include "process_memory.h"

#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>

ProcessMemory process_memory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        return {};
    }
    return {counters.WorkingSetSize, counters.PeakWorkingSetSize};
}

void reset_peak_resident() {}

int run_this_program(const std::vector<std::string>& arguments) {
    char self[MAX_PATH] = {};
    if (GetModuleFileNameA(nullptr, self, MAX_PATH) == 0) {
        return -1;
    }
    // Every argument quoted: the benchmarks' arguments hold no quotes of their own.
    std::string command_line = std::string("\"") + self + "\"";
    for (const std::string& argument : arguments) {
        command_line += " \"" + argument + "\"";
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(self, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exit_code = 0;
    GetExitCodeProcess(process.hProcess, &exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(exit_code);
}
