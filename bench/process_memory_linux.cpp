#include "process_memory.h"

#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

// A "Name:   1234 kB" line of /proc/self/status, in bytes.
std::uint64_t status_bytes(const char* name) {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return 0;
    }
    char line[256];
    std::uint64_t bytes = 0;
    const std::size_t length = std::strlen(name);
    while (std::fgets(line, sizeof line, status) != nullptr) {
        unsigned long long kilobytes = 0;
        if (std::strncmp(line, name, length) == 0 && line[length] == ':' &&
            std::sscanf(line + length + 1, "%llu", &kilobytes) == 1) {
            bytes = kilobytes * 1024;
            break;
        }
    }
    std::fclose(status);
    return bytes;
}

} // namespace

ProcessMemory process_memory() {
    return {status_bytes("VmRSS"), status_bytes("VmHWM")};
}

void reset_peak_resident() {
    // "5" resets the peak resident size to the present one.
    if (std::FILE* clear = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", clear);
        std::fclose(clear);
    }
}

int run_this_program(const std::vector<std::string>& arguments) {
    std::string self = "/proc/self/exe";
    std::vector<char*> argv;
    argv.push_back(self.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, self.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}
