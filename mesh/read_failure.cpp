#include "fatal_message.h"
#include "mesh_reader.h"
#include "token_scanner.h"

#include <cstdio>

std::string read_failure_message(const ReadError& error) {
    std::string message(program_name);
    switch (error.failure) {
    case ReadFailure::cannot_open_node_file:
    case ReadFailure::cannot_open_file:
        message += ": cannot open file: " + error.path;
        break;
    case ReadFailure::cannot_allocate:
        message += ": cannot allocate enough memory";
        break;
    case ReadFailure::label_too_long:
        message += ": label longer than " + std::to_string(TokenScanner::label_capacity) +
                   " characters in file: " + error.path;
        break;
    case ReadFailure::negative_count:
        message += ": negative count in file: " + error.path;
        break;
    case ReadFailure::count_too_large:
        message += ": count larger than the records in file: " + error.path;
        break;
    }
    return message + "\n\n";
}

void report_read_failure(const ReadError& error) {
    if (error.failure == ReadFailure::cannot_open_node_file) {
        show_fatal_message("cannot open file", program_name);
        return;
    }
    std::fputs(read_failure_message(error).c_str(), stderr);
    std::fflush(stderr);
}
