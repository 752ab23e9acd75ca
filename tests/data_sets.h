// The file sets under tests/data: the cases the unit tests read from disk, and the fuzz
// targets' seeds as they are.
#pragma once

#include <string>
#include <string_view>

// The node file of tests/data/<name>.
inline std::string data_set(std::string_view name) {
    return std::string(TEST_DATA_DIR) + "/" + std::string(name) + "/mesh.n";
}
