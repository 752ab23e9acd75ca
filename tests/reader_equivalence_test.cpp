// The product's reader gives exactly the model of the straightforward fscanf reader.
#include "memory_file_set.h"
#include "mesh_reader.h"
#include "model_difference.h"
#include "reference_reader.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

// Writes a file set into a fresh folder under the system's temporary directory.
class TemporaryFileSet {
public:
    TemporaryFileSet(const std::string& nodes, const std::string& elements,
                     const std::string& sides) {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  (std::string("velmora-") + test->name() + "-" + std::to_string(++serial_));
        std::filesystem::create_directories(folder_);
        write("mesh.n", nodes);
        write("mesh.e", elements);
        write("mesh.s", sides);
    }
    ~TemporaryFileSet() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::string node_path() const { return (folder_ / "mesh.n").string(); }

private:
    void write(const char* name, const std::string& text) {
        std::ofstream(folder_ / name, std::ios::binary) << text;
    }
    static inline int serial_ = 0;
    std::filesystem::path folder_;
};

struct FileSetCase {
    const char* name;
    const char* nodes;
    const char* elements;
    const char* sides;
};

// Well-formed sets, and sets whose malformed tokens put the reading out of step.
const FileSetCase cases[] = {
    {"one based", "3\n1: 0 0 1\n2: 1.5e0 0 1\n3: 0 .75 1\n", "1\n1: 1 2 3 0 0 0 1 2 3 0.5 0.25 0\n",
     "3\n1: 1 2 1 0 1\n2: 2 3 1 -1 1\n3: 3 1 0 1 -1\n"},
    {"zero based on one line", "2 0: -1 -2 0 1: 3 4 0", "1 0: 0 1 1 -1 -1 -1 0 0 0 1 1 7",
     "1 0: 0 1 0 -1 5"},
    {"letters in reals", "3\n0: 1.0 abc 7\n1: 2.0 3.0 4\n2: 5 6 7\n", "0", "0"},
    {"odd reals", "4\n0: 1e 1e+ 3\n1: 3.x 12abc 5\n2: -0 +7 1\n3: .5 0x1p3 2\n", "0", "0"},
    {"words", "3\n0: inf -infinity 1\n1: nax 5 6\n2: infinix 1 2\n", "0", "0"},
    {"odd integers", "0", "2\n0: +1 -2 0x3 4 5 6 7 8 9 1 2 3\n1: 1.5 2 3 4 5 6 7 8 9 1 2 3\n",
     "2\n0: - 1 2 3 4\n1: 1 2 3 4 5\n"},
    {"short files", "3\n0: 1 2 3\n1: 4", "2\n0: 0 1", ""},
    {"colons and signs", "2\n0: -x 1 2\n1: + 3 4\n", "0", "1 0: 0 0 0 0 -"},
    // The zero-filled nodes after the data turn extents of -0 into +0 (0 >= -0, 0 <= -0).
    {"negative zeros before a zero-filled tail", "2\n0: -0 -0.e-3 1", "0", "0"},
};

TEST(ReaderEquivalence, GivesTheReferenceModelForEveryCase) {
    for (const FileSetCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TemporaryFileSet files(c.nodes, c.elements, c.sides);
        MeshModel product;
        MeshModel reference;
        const auto product_error = read_mesh_file_set(product, files.node_path());
        const auto reference_error = reference_read_mesh_file_set(reference, files.node_path());
        ASSERT_EQ(product_error.has_value(), reference_error.has_value());
        EXPECT_EQ(model_difference(product, reference), "");
    }
}

TEST(ReaderEquivalence, GivesTheReferenceModelForTheBundledExamples) {
    for (const char* name : {"plate", "channel"}) {
        SCOPED_TRACE(name);
        const std::string path = std::string(EXAMPLES_DIR) + "/" + name + ".n";
        MeshModel product;
        MeshModel reference;
        ASSERT_FALSE(read_mesh_file_set(product, path));
        ASSERT_FALSE(reference_read_mesh_file_set(reference, path));
        EXPECT_EQ(model_difference(product, reference), "");
    }
}

} // namespace
