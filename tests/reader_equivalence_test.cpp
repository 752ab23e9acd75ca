// The product's reader gives exactly the model of the straightforward fscanf reader.
#include "data_sets.h"
#include "mesh_reader.h"
#include "model_difference.h"
#include "record_parts.h"
#include "reference_reader.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace {

// Where the readers differ by design, only the product is tested: labels longer than 79
// characters and counts beyond what a file holds it refuses, integers beyond 32 bits it
// saturates (fscanf's are undefined), and a tail of a million zero-filled records would keep
// fscanf failing a million times.
const std::set<std::string, std::less<>> product_only = {
    "half_a_billion_sides",
    "huge_count",
    "label_80_chars",
    "long_first_label",
    "million_and_one_zero_records",
    "million_zero_records",
    "saturated_indices",
    "two_billion_nodes",
};

// The reference opens the files with "r". Where the C library reads such a file in text mode
// (Windows), a Ctrl+Z ends its data and CR LF reads as LF; elsewhere both are bytes like any
// other. The data sets ctrl_z_*, nothing_but_ctrl_z, crlf_line_ends and lone_cr hold them.

// Sets the form of the product's scans for a test's span.
class ScanFormChoice {
public:
    explicit ScanFormChoice(ScanForm form) : saved_(scan_form()) { scan_form() = form; }
    ScanFormChoice(const ScanFormChoice&) = delete;
    ScanFormChoice& operator=(const ScanFormChoice&) = delete;
    ~ScanFormChoice() { scan_form() = saved_; }

private:
    ScanForm saved_;
};

// Reads the file set with both readers: the same failure in the same file or none, and the
// same model bit for bit; the product as a set of its size is read, and with its element and
// side files in parts of any size (opened again and moved into), on one thread and on two;
// on one thread in the generic form of its scans too, where the processor runs another.
void expect_the_same_reading(const std::string& node_path) {
    SCOPED_TRACE(node_path);
    MeshModel reference;
    const auto reference_error = reference_read_mesh_file_set(reference, node_path);
    const struct {
        ReadThreads threads;
        ScanForm form;
    } readings[] = {{default_read_threads(), scan_form()},
                    {ReadThreads{1, 1}, scan_form()},
                    {ReadThreads{2, 1}, scan_form()},
                    {ReadThreads{1, 1}, ScanForm::generic}};
    for (const auto& [threads, form] : readings) {
        SCOPED_TRACE(testing::Message()
                     << threads.count << " threads, form " << static_cast<int>(form));
        const ScanFormChoice choice(form);
        MeshModel product;
        const auto product_error = read_mesh_file_set(product, node_path, open_file, threads);
        ASSERT_EQ(product_error.has_value(), reference_error.has_value());
        if (product_error) {
            EXPECT_EQ(product_error->failure, reference_error->failure);
            EXPECT_EQ(product_error->path, reference_error->path);
        }
        EXPECT_EQ(model_difference(product, reference), "");
    }
}

TEST(ReaderEquivalence, GivesTheReferenceModelForEveryDataSet) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(TEST_DATA_DIR)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    ASSERT_GT(names.size(), product_only.size());
    for (const std::string& name : names) {
        if (!product_only.contains(name)) {
            expect_the_same_reading(data_set(name));
        }
    }
}

TEST(ReaderEquivalence, GivesTheReferenceModelForTheBundledExamples) {
    for (const char* name : {"plate", "channel"}) {
        const std::string path = std::string(EXAMPLES_DIR) + "/" + name + ".n";
        MeshModel product;
        ASSERT_FALSE(read_mesh_file_set(product, path)) << path;
        expect_the_same_reading(path);
    }
}

} // namespace
