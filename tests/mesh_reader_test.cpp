#include "data_sets.h"
#include "memory_file_set.h"
#include "mesh_reader.h"
#include "model_difference.h"
#include "reference_reader.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>

namespace {

// Two triangles on the unit square, numbered from 0, with sides marked 1 on the boundary.
const char* const square_nodes = "4\n"
                                 "0: 0.0 0.0 1\n"
                                 "1: 1.0 0.0 1\n"
                                 "2: 1.0 1.0 1\n"
                                 "3: 0.0 1.0 1\n";
const char* const square_elements = "2\n"
                                    "0: 0 1 2 1 -1 -1 -1 -1 -1 0.66 0.33 0\n"
                                    "1: 0 2 3 -1 -1 0 -1 -1 -1 0.33 0.66 0\n";
const char* const square_sides = "5\n"
                                 "0: 0 1 0 -1 1\n"
                                 "1: 1 2 0 -1 1\n"
                                 "2: 2 0 0 1 0\n"
                                 "3: 2 3 1 -1 1\n"
                                 "4: 3 0 1 -1 -1\n";

MemoryFileSet square_with_first_label(const std::string& label) {
    // Spliced rather than replaced in place: GCC 12 warns of a false overlap in replace().
    const std::string_view nodes = square_nodes;
    const std::size_t at = nodes.find("0:");
    return mesh_files(std::string(nodes.substr(0, at)) + label + std::string(nodes.substr(at + 2)),
                      square_elements, square_sides);
}

TEST(NumberingBase, DecidedByTheFirstNodeLabelAlone) {
    const struct {
        const char* label;
        std::int32_t base;
    } cases[] = {{"0:", 0}, {"1:", 1}, {"00:", 1}, {"0", 1}, {"0:x", 1}, {"O:", 1}, {"a", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        MeshModel model;
        ASSERT_FALSE(read_into(model, square_with_first_label(c.label)));
        EXPECT_EQ(model.numbering_base, c.base);
    }
}

TEST(NumberingBase, LaterLabelsAreNeverLookedAt) {
    MeshModel model;
    ASSERT_FALSE(read_into(model, mesh_files("2\n1: 0 0 0\n0: 1 1 0\n", "0\n", "0\n")));
    EXPECT_EQ(model.numbering_base, 1);
    ASSERT_FALSE(read_into(model, mesh_files("2\n0: 0 0 0\nzz 1 1 0\n", "0\n", "0\n")));
    EXPECT_EQ(model.numbering_base, 0);
}

TEST(NumberingBase, EachLoadDecidesAfresh) {
    MeshModel model;
    ASSERT_FALSE(read_into(model, square_with_first_label("1:")));
    EXPECT_EQ(model.numbering_base, 1);
    ASSERT_FALSE(read_into(model, square_with_first_label("0:")));
    EXPECT_EQ(model.numbering_base, 0);
    EXPECT_EQ(model.load_count, 2u) << "each load is counted, so that its pictures are renewed";
}

TEST(MeshReader, ReadsEveryFieldOfAZeroBasedSet) {
    MeshModel model;
    ASSERT_FALSE(read_into(model, mesh_files(square_nodes, square_elements, square_sides)));
    ASSERT_EQ(model.node_count(), 4);
    ASSERT_EQ(model.element_count(), 2);
    ASSERT_EQ(model.side_count(), 5);
    EXPECT_EQ(model.nodes[2].x, 1.0);
    EXPECT_EQ(model.nodes[2].y, 1.0);
    EXPECT_EQ(model.nodes[2].mark, 1);
    const MeshElement& e = model.elements[1];
    EXPECT_EQ(e.node_a, 0);
    EXPECT_EQ(e.node_b, 2);
    EXPECT_EQ(e.node_c, 3);
    EXPECT_EQ(e.px, 0.33);
    EXPECT_EQ(e.py, 0.66);
    EXPECT_EQ(e.mark, 0);
    const MeshSide& s = model.sides[2];
    EXPECT_EQ(s.node_a, 2);
    EXPECT_EQ(s.node_b, 0);
    EXPECT_EQ(s.elem_a, 0);
    EXPECT_EQ(s.elem_b, 1);
    EXPECT_EQ(s.mark, 0);
    EXPECT_EQ(model.sides[4].elem_b, -1) << "no conversion in a set numbered from 0";
    EXPECT_EQ(model.sides[4].mark, -1);
}

TEST(MeshReader, ConvertsAOneBasedSetToZeroBasedIndices) {
    MeshModel model;
    ASSERT_FALSE(read_into(model, mesh_files("3\n1: 0 0 5\n2: 2 0 6\n3: 0 2 7\n",
                                             "1\n1: 1 2 3 9 9 9 9 9 9 0.5 0.25 4\n",
                                             "3\n"
                                             "1: 1 2 1 0 -1\n"
                                             "2: 2 3 1 -1 0\n"
                                             "3: 3 1 -1 1 2\n")));
    EXPECT_EQ(model.numbering_base, 1);
    const MeshElement& e = model.elements[0];
    EXPECT_EQ((std::array{e.node_a, e.node_b, e.node_c}), (std::array{0, 1, 2}));
    EXPECT_EQ(e.px, 0.5) << "reals are never changed";
    EXPECT_EQ(e.py, 0.25);
    EXPECT_EQ(e.mark, 4) << "markers are never changed";
    EXPECT_EQ(model.nodes[0].mark, 5);
    const struct {
        std::int32_t node_a, node_b, elem_a, elem_b, mark;
    } expected[] = {{0, 1, 0, -1, -1}, {1, 2, 0, -1, 0}, {2, 0, -1, 0, 2}};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const MeshSide& s = model.sides[i];
        EXPECT_EQ(s.node_a, expected[i].node_a);
        EXPECT_EQ(s.node_b, expected[i].node_b);
        EXPECT_EQ(s.elem_a, expected[i].elem_a) << "0 and -1 both mean no element";
        EXPECT_EQ(s.elem_b, expected[i].elem_b);
        EXPECT_EQ(s.mark, expected[i].mark);
    }
}

TEST(MeshReader, ConversionDoesNotWrapASaturatedIndex) {
    MeshModel model;
    ASSERT_FALSE(read_mesh_file_set(model, data_set("saturated_indices")));
    constexpr auto int_min = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(model.elements[0].node_a, int_min);
    EXPECT_EQ(model.elements[0].node_b, 0);
    EXPECT_EQ(model.sides[0].elem_a, int_min);
}

TEST(MeshReader, KeepsIndicesOutsideTheArraysAsRead) {
    MeshModel model;
    ASSERT_FALSE(read_into(model, mesh_files("1\n0: 0 0 0\n", "1\n0: 0 7 -3 0 0 0 0 0 0 0 0 0\n",
                                             "1\n0: 0 9 4 -7 0\n")));
    EXPECT_EQ(model.elements[0].node_b, 7);
    EXPECT_EQ(model.elements[0].node_c, -3);
    EXPECT_EQ(model.sides[0].node_b, 9);
    EXPECT_EQ(model.sides[0].elem_a, 4);
    EXPECT_EQ(model.sides[0].elem_b, -7);
}

TEST(Extents, StartAtTheOriginAndCoverTheFirstMesh) {
    MeshModel model;
    ASSERT_FALSE(read_into(model, mesh_files("1\n0: 3 -2 0\n", "0\n", "0\n")));
    EXPECT_EQ(model.x_min, 0.0);
    EXPECT_EQ(model.x_max, 3.0);
    EXPECT_EQ(model.y_min, -2.0);
    EXPECT_EQ(model.y_max, 0.0);
}

TEST(Extents, OfAPositiveMeshIncludeTheOrigin) {
    MeshModel model;
    ASSERT_FALSE(read_into(model, mesh_files("2\n0: 5 7 0\n1: 9 8 0\n", "0\n", "0\n")));
    EXPECT_EQ(model.x_min, 0.0);
    EXPECT_EQ(model.y_min, 0.0);
    EXPECT_EQ(model.x_max, 9.0);
    EXPECT_EQ(model.y_max, 8.0);
}

TEST(Extents, OnlyWidenAcrossLoads) {
    MeshModel model;
    ASSERT_FALSE(read_into(model, mesh_files("2\n0: -10 -20 0\n1: 100 200 0\n", "0\n", "0\n")));
    ASSERT_FALSE(read_into(model, mesh_files("2\n0: 1 1 0\n1: 150 2 0\n", "0\n", "0\n")));
    EXPECT_EQ(model.x_min, -10.0);
    EXPECT_EQ(model.x_max, 150.0);
    EXPECT_EQ(model.y_min, -20.0);
    EXPECT_EQ(model.y_max, 200.0);
    EXPECT_EQ(model.node_count(), 2) << "the arrays are replaced, not appended to";
    EXPECT_EQ(model.nodes[1].x, 150.0);
}

TEST(Extents, ANanCoordinateWidensNothing) {
    MeshModel model;
    ASSERT_FALSE(read_mesh_file_set(model, data_set("nan_coordinates")));
    EXPECT_EQ(model.x_max, 2.0);
    EXPECT_EQ(model.y_max, 4.0);
    EXPECT_EQ(model.x_min, 0.0);
    EXPECT_EQ(model.y_min, 0.0);
}

std::string all_on_one_line(std::string text) {
    for (char& c : text) {
        if (c == '\n') {
            c = ' ';
        }
    }
    return text;
}

std::string one_token_per_line(std::string text) {
    for (char& c : text) {
        if (c == ' ') {
            c = '\n';
        }
    }
    return "\t\r\n" + text;
}

TEST(MeshReader, LineStructureCarriesNoMeaning) {
    MeshModel by_record;
    ASSERT_FALSE(read_into(by_record, mesh_files(square_nodes, square_elements, square_sides)));
    for (auto layout : {all_on_one_line, one_token_per_line}) {
        MeshModel model;
        ASSERT_FALSE(read_into(model, mesh_files(layout(square_nodes), layout(square_elements),
                                                 layout(square_sides))));
        EXPECT_EQ(model_difference(model, by_record), "");
    }
}

TEST(ShortFile, LoadsWithZeroFilledRecordsAtTheEnd) {
    MeshModel model;
    ASSERT_FALSE(read_mesh_file_set(model, data_set("short_files")));
    ASSERT_EQ(model.node_count(), 3);
    EXPECT_EQ(model.nodes[1].x, 4.0);
    EXPECT_EQ(model.nodes[1].y, 5.0);
    EXPECT_EQ(model.nodes[1].mark, 0);
    EXPECT_EQ(model.nodes[2].x, 0.0);
    ASSERT_EQ(model.element_count(), 2);
    EXPECT_EQ(model.elements[0].node_c, 1);
    EXPECT_EQ(model.elements[0].mark, 0);
    EXPECT_EQ(model.elements[1].node_a, 0);
    ASSERT_EQ(model.side_count(), 4);
    EXPECT_EQ(model.sides[3].mark, 0);
}

TEST(ShortFile, AMissingCountKeepsThePreviousLoadsCount) {
    MeshModel model;
    ASSERT_FALSE(read_into(model, mesh_files(square_nodes, square_elements, square_sides)));
    ASSERT_FALSE(read_into(model, mesh_files(square_nodes, "", "  \n")));
    EXPECT_EQ(model.element_count(), 2);
    EXPECT_EQ(model.side_count(), 5);
    EXPECT_EQ(model.sides[2].elem_b, 0) << "the records are zero-filled afresh";
    MeshModel fresh;
    ASSERT_FALSE(read_into(fresh, mesh_files("x", "", "")));
    EXPECT_EQ(fresh.node_count(), 0);
}

TEST(ShortFile, ACountOfZeroGivesAnEmptyArray) {
    MeshModel model;
    ASSERT_FALSE(read_into(model, mesh_files(square_nodes, square_elements, square_sides)));
    ASSERT_FALSE(read_into(model, mesh_files("0", "0", "0")));
    EXPECT_EQ(model.node_count(), 0);
    EXPECT_EQ(model.element_count(), 0);
    EXPECT_EQ(model.side_count(), 0);
    EXPECT_EQ(model.numbering_base, 0) << "no first label was read";
}

TEST(MalformedToken, PutsTheFollowingRecordsOutOfStep) {
    MeshModel model;
    ASSERT_FALSE(read_mesh_file_set(model, data_set("letters_in_reals")));
    // The first record stops at "abc"; the second starts there, its label taking "abc".
    EXPECT_EQ(model.nodes[0].x, 1.0);
    EXPECT_EQ(model.nodes[0].y, 0.0);
    EXPECT_EQ(model.nodes[0].mark, 0);
    EXPECT_EQ(model.nodes[1].x, 7.0);
    EXPECT_EQ(model.nodes[1].y, 1.0) << "1: reads as 1, leaving the colon";
    EXPECT_EQ(model.nodes[1].mark, 0) << "the colon is no integer";
    EXPECT_EQ(model.nodes[2].x, 2.0) << "the colon became the third label";
    EXPECT_EQ(model.nodes[2].y, 3.0);
    EXPECT_EQ(model.nodes[2].mark, 4);
}

TEST(MeshReader, DerivesTheOtherNamesByReplacingTheLastCharacter) {
    const struct {
        const char* node_path;
        const char* element_path;
        const char* side_path;
    } cases[] = {{"mesh.n", "mesh.e", "mesh.s"},
                 {"dir/mesh.nod", "dir/mesh.noe", "dir/mesh.nos"},
                 {"x", "e", "s"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.node_path);
        MemoryFileSet set{{{c.node_path, "0"}, {c.element_path, "0"}, {c.side_path, "0"}}, {}};
        MeshModel model;
        ASSERT_FALSE(read_into(model, set, c.node_path));
        EXPECT_EQ(set.opened, (std::vector<std::string>{c.node_path, c.element_path, c.side_path}));
    }
}

TEST(ReadFailure, NamesTheFileAndTheCause) {
    const struct {
        const char* data_set;
        ReadFailure failure;
        char file; // the last character of the failing file's name
    } cases[] = {
        {"no_such_mesh", ReadFailure::cannot_open_node_file, 'n'},
        {"missing_element_file", ReadFailure::cannot_open_file, 'e'},
        {"missing_side_file", ReadFailure::cannot_open_file, 's'},
        {"negative_count", ReadFailure::negative_count, 'n'},
        {"negative_side_count", ReadFailure::negative_count, 's'},
        {"long_first_label", ReadFailure::label_too_long, 'n'},
        {"label_80_chars", ReadFailure::label_too_long, 'e'},
        // A count beyond the 32-bit range saturates, and a short file cannot hold that many.
        {"huge_count", ReadFailure::count_too_large, 'n'},
        {"two_billion_nodes", ReadFailure::count_too_large, 'n'},
        {"half_a_billion_sides", ReadFailure::count_too_large, 's'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data_set);
        MeshModel model;
        std::string path = data_set(c.data_set);
        const auto error = read_mesh_file_set(model, path);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->failure, c.failure);
        path.back() = c.file;
        EXPECT_EQ(error->path, path);
    }
}

// A source that cannot tell its size, so that only what it holds limits a count.
class SizelessSource final : public ByteSource {
public:
    explicit SizelessSource(std::string data) : data_(std::move(data)), memory_(data_) {}
    std::size_t read(char* buffer, std::size_t capacity) override {
        return memory_.read(buffer, capacity);
    }
    std::uint64_t size() const override { return unknown_size; }

private:
    std::string data_;
    MemorySource memory_;
};

std::optional<ReadError> read_sizeless(MeshModel& model, const std::string& nodes) {
    return read_mesh_file_set(
        model, "mesh.n", [&](const std::string& path) -> std::unique_ptr<ByteSource> {
            return std::make_unique<SizelessSource>(path == "mesh.n" ? nodes : "0");
        });
}

// `count` records "<label>: <i> <fields>" one a line, labelled from `first_label`: the first
// field tells the record from the others.
std::string labelled_lines(int count, int first_label, const std::string& fields) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += std::to_string(first_label + i) + ": " + std::to_string(i) + " " + fields + "\n";
    }
    return text;
}

// The set's files as C streams, for the fscanf reader: copies in temporary files, which
// both C libraries have (glibc's fmemopen the Windows one lacks).
OpenStream stream_opener(const MemoryFileSet& set) {
    return [&set](const std::string& path) -> std::FILE* {
        const auto found = set.files.find(path);
        std::FILE* file = found == set.files.end() ? nullptr : std::tmpfile();
        if (file != nullptr) {
            std::fwrite(found->second.data(), 1, found->second.size(), file);
            std::rewind(file);
        }
        return file;
    };
}

// A file of `count` such records.
std::string numbered_lines(int count, int first_label, const std::string& fields) {
    return std::to_string(count) + "\n" + labelled_lines(count, first_label, fields);
}

// The element and side files split into parts of every size, scanned on one thread and on
// several, give the failure and the model of one reading of each file after the other, also
// where the labels a part starts from lie, where the records run out of step with their lines,
// and where the data ends or fails inside a part.
TEST(ReadInParts, GivesWhatOneReadingOfEachFileGives) {
    const std::string nodes = numbered_lines(40, 1, "-2.25e-3 1");
    const std::string elements =
        numbered_lines(40, 1, "2 3 0 -1 2 3 4 5 0.6666666666666666 -1.5 1");
    const std::string sides = numbered_lines(60, 1, "2 1 0 1");
    const std::size_t middle = elements.find("\n21: ") + 1;
    const auto with_middle = [&](const std::string& text) {
        return elements.substr(0, middle) + text + elements.substr(middle);
    };
    const struct {
        const char* name;
        std::string nodes, elements, sides;
        std::optional<ReadFailure> failure;
        char file;  // the last character of the failing file's name
        bool split; // the element file is read in parts
    } cases[] = {
        {"usual shape", nodes, elements, sides, std::nullopt, 0, true},
        {"numbered from 0", numbered_lines(40, 0, "2 1"),
         numbered_lines(40, 0, "1 2 -1 -1 0 0 0 0 0.5 1e300 -3"), numbered_lines(60, 0, "1 0 -1 1"),
         std::nullopt, 0, true},
        // Every label three ahead of its record: no part starts where its label says.
        {"lying labels", nodes, numbered_lines(40, 4, "2 3 0 0 0 0 0 0 1.5 2.5 0"), sides,
         std::nullopt, 0, true},
        // A letter where an integer belongs: the records after it are read out of step.
        {"out of step", nodes, with_middle("x: 1 2 3 y\n"), sides, std::nullopt, 0, true},
        {"data ends inside a part", nodes, "40\n" + elements.substr(3, middle - 3), sides,
         std::nullopt, 0, true},
        // The second half labelled as records 70 on: the parts that start there are scanned
        // as such, and the data ends before the first half reaches them.
        {"labels far ahead", nodes,
         "100\n" + labelled_lines(20, 1, "2 3 0 0 0 0 0 0 1.5 2.5 7") +
             labelled_lines(20, 71, "5 6 0 0 0 0 0 0 1.5 2.5 8"),
         sides, std::nullopt, 0, true},
        {"label too long inside a part", nodes, with_middle(std::string(80, 'x') + " 1\n"), sides,
         ReadFailure::label_too_long, 'e', true},
        {"node failure", "-4", elements, sides, ReadFailure::negative_count, 'n', false},
        {"side failure", nodes, elements, "-2", ReadFailure::negative_count, 's', false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MemoryFileSet set = mesh_files(c.nodes, c.elements, c.sides);
        MeshModel in_turn;
        const auto in_turn_error =
            read_mesh_file_set(in_turn, "mesh.n", set.opener(), {1, part_least_bytes});
        ASSERT_EQ(in_turn_error.has_value(), c.failure.has_value());
        if (c.failure) {
            EXPECT_EQ(in_turn_error->failure, *c.failure);
            EXPECT_EQ(in_turn_error->path, std::string("mesh.") + c.file);
        }
        const int files = c.file == 'n' ? 1 : c.file == 'e' ? 2 : 3;
        // fscanf, where it defines the result: its buffer takes a label of any length.
        if (c.failure != ReadFailure::label_too_long) {
            MeshModel by_fscanf;
            (void)reference_read_mesh_file_set(by_fscanf, "mesh.n", stream_opener(set));
            EXPECT_EQ(model_difference(in_turn, by_fscanf, files), "");
        }
        for (const unsigned threads : {1U, 2U, 3U, 5U}) {
            SCOPED_TRACE(threads);
            MeshModel in_parts;
            set.opened.clear();
            const auto error = read_mesh_file_set(in_parts, "mesh.n", set.opener(), {threads, 1});
            ASSERT_EQ(error.has_value(), c.failure.has_value());
            if (c.failure) {
                EXPECT_EQ(error->failure, in_turn_error->failure);
                EXPECT_EQ(error->path, in_turn_error->path);
            }
            EXPECT_EQ(model_difference(in_parts, in_turn, files), "");
            // One thread takes parts of a quarter of the set, which some of these files
            // are too small for.
            if (threads > 1) {
                EXPECT_EQ(std::count(set.opened.begin(), set.opened.end(), "mesh.e") > 1, c.split);
            }
        }
    }
}

TEST(PathologicalCount, ATailOfAMillionZeroRecordsStillLoads) {
    MeshModel model;
    ASSERT_FALSE(read_mesh_file_set(model, data_set("million_zero_records")));
    EXPECT_EQ(model.node_count(), 1048576);
    EXPECT_EQ(model.nodes[0].x, 1.0);
    EXPECT_EQ(model.nodes[1048575].x, 0.0);
    const auto error = read_mesh_file_set(model, data_set("million_and_one_zero_records"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->failure, ReadFailure::count_too_large);
}

TEST(PathologicalCount, AFarLongerTailIsRefusedOnceTheDataEnds) {
    MeshModel model;
    const auto error = read_sizeless(model, "3000000 0: 1 2 3");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->failure, ReadFailure::count_too_large);
    EXPECT_EQ(error->path, "mesh.n");
}

TEST(PathologicalCount, AnImpossibleAllocationIsReportedNotFatal) {
    MeshModel model;
    const auto error = read_sizeless(model, "2147483647 0: 1 2 3");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->failure, ReadFailure::cannot_allocate);
}

TEST(ReadFailure, MessagesCarryTheProgramName) {
    EXPECT_EQ(read_failure_message({ReadFailure::cannot_open_file, "dir/a.e"}),
              "velmora: cannot open file: dir/a.e\n\n");
    EXPECT_EQ(read_failure_message({ReadFailure::cannot_allocate, "a.s"}),
              "velmora: cannot allocate enough memory\n\n");
    EXPECT_EQ(read_failure_message({ReadFailure::label_too_long, "a.n"}),
              "velmora: label longer than 79 characters in file: a.n\n\n");
    EXPECT_EQ(read_failure_message({ReadFailure::negative_count, "a.e"}),
              "velmora: negative count in file: a.e\n\n");
    EXPECT_EQ(read_failure_message({ReadFailure::count_too_large, "a.n"}),
              "velmora: count larger than the records in file: a.n\n\n");
}

} // namespace

namespace {

TEST(BundledExamples, LoadWithTheirOwnNumbering) {
    const struct {
        const char* name;
        std::int32_t base, nodes, elements, sides, hidden_sides;
    } cases[] = {{"plate", 0, 35, 48, 82, 4}, {"channel", 1, 27, 32, 58, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MeshModel model;
        const std::string path = std::string(EXAMPLES_DIR) + "/" + c.name + ".n";
        ASSERT_FALSE(read_mesh_file_set(model, path));
        EXPECT_EQ(model.numbering_base, c.base);
        EXPECT_EQ(model.node_count(), c.nodes);
        EXPECT_EQ(model.element_count(), c.elements);
        EXPECT_EQ(model.side_count(), c.sides);
        std::int32_t hidden = 0;
        for (const MeshSide& side : model.sides) {
            hidden += side.mark == -1;
            EXPECT_TRUE(side.node_a >= 0 && side.node_a < model.node_count());
            EXPECT_TRUE(side.node_b >= 0 && side.node_b < model.node_count());
            EXPECT_TRUE(side.elem_a >= -1 && side.elem_a < model.element_count());
            EXPECT_TRUE(side.elem_b >= -1 && side.elem_b < model.element_count());
        }
        EXPECT_EQ(hidden, c.hidden_sides);
    }
}

} // namespace
