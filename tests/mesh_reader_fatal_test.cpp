// The program's entry to reading ends the process on every failure, with exit code -1 and
// the message the user sees.
#include "mesh_model.h"
#include "mesh_reader.h"

#include <array>
#include <cstring>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>

namespace {

#ifdef _WIN32
constexpr int fatal_exit_code = -1;
#else
constexpr int fatal_exit_code = 255; // exit(-1) as the parent sees it
#endif

std::array<char, max_path_length> path_buffer(const std::string& relative) {
    const std::string path = std::string(TEST_DATA_DIR) + "/" + relative;
    std::array<char, max_path_length> buffer{};
    EXPECT_LT(path.size(), buffer.size());
    std::memcpy(buffer.data(), path.c_str(), std::min(path.size() + 1, buffer.size() - 1));
    return buffer;
}

TEST(LoadMeshFileSet, FillsTheProgramMeshAndLeavesTheSidePathInTheBuffer) {
    auto buffer = path_buffer("square/mesh.n");
    load_mesh_file_set(buffer.data());
    EXPECT_EQ(std::string(buffer.data()), std::string(TEST_DATA_DIR) + "/square/mesh.s");
    EXPECT_EQ(current_mesh().node_count(), 4);
    EXPECT_EQ(current_mesh().element_count(), 2);
    EXPECT_EQ(current_mesh().side_count(), 5);
    EXPECT_EQ(current_mesh().x_max, 1.0);
}

TEST(LoadMeshFileSetDeathTest, EndsWithTheStandardErrorLineOfTheFailure) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string data = TEST_DATA_DIR;
    const struct {
        const char* node_file;
        std::string message;
    } cases[] = {
        {"missing_element_file/mesh.n",
         "velmora: cannot open file: " + data + "/missing_element_file/mesh.e\n\n"},
        {"label_80_chars/mesh.n", "velmora: label longer than 79 characters in file: " + data +
                                      "/label_80_chars/mesh.e\n\n"},
        {"negative_count/mesh.n",
         "velmora: negative count in file: " + data + "/negative_count/mesh.n\n\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.node_file);
        auto buffer = path_buffer(c.node_file);
        EXPECT_EXIT(load_mesh_file_set(buffer.data()), testing::ExitedWithCode(fatal_exit_code),
                    testing::Eq(c.message));
    }
}

#ifndef _WIN32
// On Windows a message box tells of a missing node file; elsewhere the same caption and
// text go to standard error.
TEST(LoadMeshFileSetDeathTest, AMissingNodeFileShowsTheCaptionAndTheProgramName) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto buffer = path_buffer("no_such_mesh/mesh.n");
    EXPECT_EXIT(load_mesh_file_set(buffer.data()), testing::ExitedWithCode(fatal_exit_code),
                testing::Eq("cannot open file: velmora\n"));
}
#endif

} // namespace
