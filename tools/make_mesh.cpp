// make_mesh: writes a structured triangulated rectangle as a mesh file set.
//
//   make_mesh <base> <columns> <rows> [--base 0|1] [--width W] [--height H] [--origin X Y]
//   make_mesh <base> --triangles N [--base 0|1] [--width W] [--height H] [--origin X Y]
//
// Writes <base>.n, <base>.e and <base>.s. With --triangles, the grid of exactly N triangles
// closest to twice as wide as high is chosen: 10000 gives 100 x 50 cells, 100000 gives
// 250 x 200, 1000000 gives 1000 x 500 and 4000000 gives 2000 x 1000. The rectangle of the given
// width and height (default: one unit per cell) from the origin (default 0 0) is cut into columns x
// rows cells, and every cell is split by its rising diagonal into two counter-clockwise triangles.
//
// Numbering (nodes, elements and sides alike, all shifted by the numbering base):
//   node (i, j)        j * (columns + 1) + i                 0 <= i <= columns, 0 <= j <= rows
//   cell (i, j)        lower triangle 2 * (j * columns + i): (i, j) (i+1, j) (i+1, j+1)
//                      upper triangle 2 * (j * columns + i) + 1: (i, j) (i+1, j+1) (i, j+1)
//   sides              first the horizontal ones (row by row), then the vertical ones (row by
//                      row), then the diagonals (cell by cell)
// Interior sides run in the +x, +y or up-right direction; boundary sides run counter-clockwise
// around the rectangle, so their one element is always on the left (elem_a).

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr char usage_text[] =
    "usage: make_mesh <base> <columns> <rows> [--base 0|1] [--width W] [--height H]"
    " [--origin X Y]\n"
    "       make_mesh <base> --triangles N [--base 0|1] [--width W] [--height H]"
    " [--origin X Y]\n"
    "  writes <base>.n, <base>.e and <base>.s: a rectangle of columns x rows cells,\n"
    "  each split into two triangles\n"
    "  --triangles N  exactly N triangles (N even), in the grid closest to a 2:1 aspect\n"
    "  --base 0|1     number nodes, elements and sides from 0 or from 1 (default 0)\n"
    "  --width W      width of the rectangle (default: columns)\n"
    "  --height H     height of the rectangle (default: rows)\n"
    "  --origin X Y   lower left corner (default: 0 0)\n";

struct Failure {
    std::string message;
    bool show_usage = false;
};

struct Options {
    std::string base_name;
    std::int64_t columns = 0;
    std::int64_t rows = 0;
    std::int64_t numbering_base = 0;
    double width = 0.0;
    double height = 0.0;
    double origin_x = 0.0;
    double origin_y = 0.0;
};

[[noreturn]] void bad_argument(std::string message) {
    throw Failure{std::move(message), true};
}

std::int64_t parse_integer(std::string_view text, std::string_view what) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        bad_argument(std::string(what) + " is not an integer: '" + std::string(text) + "'");
    }
    return value;
}

double parse_real(std::string_view text, std::string_view what) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) {
        bad_argument(std::string(what) + " is not a finite number: '" + std::string(text) + "'");
    }
    return value;
}

// Node, element and side numbers are read back as plain 32-bit integers.
constexpr std::int64_t largest_number = std::numeric_limits<std::int32_t>::max() - 1;

// How far columns : rows is from 2 : 1, as the fraction larger / smaller of columns and
// 2 * rows (1 / 1 is exactly 2 : 1).
struct AspectError {
    std::int64_t larger;
    std::int64_t smaller;

    AspectError(std::int64_t columns, std::int64_t rows)
        : larger(std::max(columns, 2 * rows)), smaller(std::min(columns, 2 * rows)) {}

    // Both sides stay below 2^31, so the cross products fit.
    bool operator<(const AspectError& other) const {
        return larger * other.smaller < other.larger * smaller;
    }
};

// The grid of exactly `triangles` triangles (two per cell) closest to a 2:1 aspect; between
// two equally close grids, the squarer one.
std::pair<std::int64_t, std::int64_t> grid_for_triangles(std::int64_t triangles) {
    if (triangles < 2 || triangles % 2 != 0) {
        bad_argument("--triangles must be an even number of at least 2");
    }
    const std::int64_t cells = triangles / 2;
    if (cells > largest_number / 3) {
        bad_argument("mesh too large: at most " + std::to_string(largest_number) + " sides");
    }
    std::int64_t best_columns = cells;
    std::int64_t best_rows = 1;
    const auto consider = [&](std::int64_t columns, std::int64_t rows) {
        const AspectError error(columns, rows);
        const AspectError best(best_columns, best_rows);
        if (error < best || (!(best < error) && rows > best_rows)) {
            best_columns = columns;
            best_rows = rows;
        }
    };
    for (std::int64_t d = 1; d * d <= cells; ++d) {
        if (cells % d == 0) {
            consider(cells / d, d);
            consider(d, cells / d);
        }
    }
    return {best_columns, best_rows};
}

Options parse_arguments(std::span<char* const> arguments) {
    Options options;
    std::vector<std::string_view> positional;
    bool width_given = false;
    bool height_given = false;
    std::int64_t triangles = 0;

    for (std::size_t k = 0; k < arguments.size(); ++k) {
        const std::string_view argument = arguments[k];
        const auto value = [&](std::string_view option) -> std::string_view {
            if (k + 1 >= arguments.size()) {
                bad_argument(std::string(option) + " needs a value");
            }
            return arguments[++k];
        };
        if (argument == "--base") {
            options.numbering_base = parse_integer(value(argument), "--base");
            if (options.numbering_base != 0 && options.numbering_base != 1) {
                bad_argument("--base must be 0 or 1");
            }
        } else if (argument == "--width") {
            options.width = parse_real(value(argument), "--width");
            width_given = true;
        } else if (argument == "--height") {
            options.height = parse_real(value(argument), "--height");
            height_given = true;
        } else if (argument == "--triangles") {
            triangles = parse_integer(value(argument), "--triangles");
            if (triangles == 0) {
                bad_argument("--triangles must be an even number of at least 2");
            }
        } else if (argument == "--origin") {
            options.origin_x = parse_real(value(argument), "--origin X");
            options.origin_y = parse_real(value(argument), "--origin Y");
        } else if (argument.starts_with("--")) {
            bad_argument("unknown option '" + std::string(argument) + "'");
        } else {
            positional.push_back(argument);
        }
    }

    if (triangles != 0 ? positional.size() != 1 : positional.size() != 3) {
        bad_argument(triangles != 0 ? "expected <base> and no columns and rows with --triangles"
                                    : "expected <base> <columns> <rows>");
    }
    options.base_name = positional[0];
    if (options.base_name.empty()) {
        bad_argument("<base> is empty");
    }
    if (triangles != 0) {
        std::tie(options.columns, options.rows) = grid_for_triangles(triangles);
    } else {
        options.columns = parse_integer(positional[1], "<columns>");
        options.rows = parse_integer(positional[2], "<rows>");
    }
    if (options.columns < 1 || options.rows < 1) {
        bad_argument("<columns> and <rows> must be at least 1");
    }
    if (options.columns > largest_number || options.rows > largest_number ||
        3 * options.columns * options.rows + options.columns + options.rows > largest_number) {
        bad_argument("mesh too large: at most " + std::to_string(largest_number) + " sides");
    }
    if (!width_given) {
        options.width = static_cast<double>(options.columns);
    }
    if (!height_given) {
        options.height = static_cast<double>(options.rows);
    }
    if (!(options.width > 0.0) || !(options.height > 0.0)) {
        bad_argument("width and height must be positive");
    }
    return options;
}

// Buffered text output of whitespace-separated records, one per line. A file that is not
// finished (an error on the way) is removed again.
class RecordWriter {
public:
    explicit RecordWriter(std::string path) : path_(std::move(path)), buffer_(buffer_size) {
        file_ = std::fopen(path_.c_str(), "wb");
        if (file_ == nullptr) {
            throw Failure{"cannot write file " + path_ + ": " + std::strerror(errno)};
        }
        position_ = buffer_.data();
        end_ = buffer_.data() + buffer_.size();
    }

    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    ~RecordWriter() {
        if (file_ != nullptr) {
            std::fclose(file_);
            std::remove(path_.c_str());
        }
    }

    void integer(std::int64_t value) {
        make_room();
        position_ = std::to_chars(position_, end_, value).ptr;
        *position_++ = ' ';
    }

    void real(double value) {
        make_room();
        position_ = std::to_chars(position_, end_, value).ptr;
        *position_++ = ' ';
    }

    void label(std::int64_t number) {
        make_room();
        position_ = std::to_chars(position_, end_, number).ptr;
        *position_++ = ':';
        *position_++ = ' ';
    }

    // Ends the record: the separator after its last field becomes the line end.
    void end_record() { position_[-1] = '\n'; }

    void finish() {
        flush();
        std::FILE* file = file_;
        file_ = nullptr;
        if (std::fclose(file) != 0) {
            const int error = errno;
            std::remove(path_.c_str());
            throw Failure{"cannot write file " + path_ + ": " + std::strerror(error)};
        }
    }

private:
    static constexpr std::size_t buffer_size = std::size_t{1} << 22;
    // Enough for any one field: the longest shortest form of a double is 24 characters.
    static constexpr std::ptrdiff_t field_room = 32;

    void make_room() {
        if (end_ - position_ < field_room) {
            flush();
        }
    }

    void flush() {
        const auto size = static_cast<std::size_t>(position_ - buffer_.data());
        if (std::fwrite(buffer_.data(), 1, size, file_) != size) {
            throw Failure{"cannot write file " + path_ + ": " + std::strerror(errno)};
        }
        position_ = buffer_.data();
    }

    std::string path_;
    std::vector<char> buffer_;
    std::FILE* file_ = nullptr;
    char* position_ = nullptr;
    char* end_ = nullptr;
};

struct Grid {
    std::int64_t columns;
    std::int64_t rows;
    std::vector<double> x; // columns + 1 grid lines
    std::vector<double> y; // rows + 1 grid lines

    std::int64_t node(std::int64_t i, std::int64_t j) const { return j * (columns + 1) + i; }
    std::int64_t lower(std::int64_t i, std::int64_t j) const { return 2 * (j * columns + i); }
    std::int64_t upper(std::int64_t i, std::int64_t j) const { return lower(i, j) + 1; }

    std::int64_t horizontal_count() const { return columns * (rows + 1); }
    std::int64_t vertical_count() const { return (columns + 1) * rows; }
    std::int64_t node_count() const { return (columns + 1) * (rows + 1); }
    std::int64_t element_count() const { return 2 * columns * rows; }
    std::int64_t side_count() const { return 3 * columns * rows + columns + rows; }

    // Side from (i, j) to (i+1, j), 0 <= j <= rows.
    std::int64_t horizontal(std::int64_t i, std::int64_t j) const { return j * columns + i; }
    // Side from (i, j) to (i, j+1), 0 <= i <= columns.
    std::int64_t vertical(std::int64_t i, std::int64_t j) const {
        return horizontal_count() + j * (columns + 1) + i;
    }
    // Side from (i, j) to (i+1, j+1).
    std::int64_t diagonal(std::int64_t i, std::int64_t j) const {
        return horizontal_count() + vertical_count() + j * columns + i;
    }
};

Grid make_grid(const Options& options) {
    Grid grid{options.columns, options.rows, {}, {}};
    const auto line = [](double origin, double length, std::int64_t k, std::int64_t count) {
        return k == count ? origin + length
                          : origin + length * static_cast<double>(k) / static_cast<double>(count);
    };
    grid.x.reserve(static_cast<std::size_t>(grid.columns + 1));
    for (std::int64_t i = 0; i <= grid.columns; ++i) {
        grid.x.push_back(line(options.origin_x, options.width, i, grid.columns));
    }
    grid.y.reserve(static_cast<std::size_t>(grid.rows + 1));
    for (std::int64_t j = 0; j <= grid.rows; ++j) {
        grid.y.push_back(line(options.origin_y, options.height, j, grid.rows));
    }
    return grid;
}

void write_nodes(const Grid& grid, std::int64_t base, const std::string& path) {
    RecordWriter out(path);
    out.integer(grid.node_count());
    out.end_record();
    for (std::int64_t j = 0; j <= grid.rows; ++j) {
        const auto y = grid.y[static_cast<std::size_t>(j)];
        const bool bottom_or_top = j == 0 || j == grid.rows;
        for (std::int64_t i = 0; i <= grid.columns; ++i) {
            const bool boundary = bottom_or_top || i == 0 || i == grid.columns;
            out.label(grid.node(i, j) + base);
            out.real(grid.x[static_cast<std::size_t>(i)]);
            out.real(y);
            out.integer(boundary ? 1 : 0);
            out.end_record();
        }
    }
    out.finish();
}

struct Triangle {
    std::int64_t nodes[3];
    std::int64_t neighbours[3]; // opposite each node; -1 for none
    std::int64_t sides[3];      // opposite each node
    double px;
    double py;
};

void write_element(RecordWriter& out, std::int64_t number, const Triangle& t, std::int64_t base) {
    const std::int64_t none = base == 0 ? -1 : 0;
    out.label(number + base);
    for (const auto node : t.nodes) {
        out.integer(node + base);
    }
    for (const auto neighbour : t.neighbours) {
        out.integer(neighbour < 0 ? none : neighbour + base);
    }
    for (const auto side : t.sides) {
        out.integer(side + base);
    }
    out.real(t.px);
    out.real(t.py);
    out.integer(0);
    out.end_record();
}

void write_elements(const Grid& grid, std::int64_t base, const std::string& path) {
    RecordWriter out(path);
    out.integer(grid.element_count());
    out.end_record();
    for (std::int64_t j = 0; j < grid.rows; ++j) {
        const double y0 = grid.y[static_cast<std::size_t>(j)];
        const double y1 = grid.y[static_cast<std::size_t>(j + 1)];
        for (std::int64_t i = 0; i < grid.columns; ++i) {
            const double x0 = grid.x[static_cast<std::size_t>(i)];
            const double x1 = grid.x[static_cast<std::size_t>(i + 1)];
            const Triangle lower{
                {grid.node(i, j), grid.node(i + 1, j), grid.node(i + 1, j + 1)},
                {i + 1 < grid.columns ? grid.upper(i + 1, j) : -1, grid.upper(i, j),
                 j > 0 ? grid.upper(i, j - 1) : -1},
                {grid.vertical(i + 1, j), grid.diagonal(i, j), grid.horizontal(i, j)},
                (x0 + x1 + x1) / 3.0,
                (y0 + y0 + y1) / 3.0,
            };
            const Triangle upper{
                {grid.node(i, j), grid.node(i + 1, j + 1), grid.node(i, j + 1)},
                {j + 1 < grid.rows ? grid.lower(i, j + 1) : -1, i > 0 ? grid.lower(i - 1, j) : -1,
                 grid.lower(i, j)},
                {grid.horizontal(i, j + 1), grid.vertical(i, j), grid.diagonal(i, j)},
                (x0 + x1 + x0) / 3.0,
                (y0 + y1 + y1) / 3.0,
            };
            write_element(out, grid.lower(i, j), lower, base);
            write_element(out, grid.upper(i, j), upper, base);
        }
    }
    out.finish();
}

// Writes one side; elem_b < 0 means a boundary side (elem_a is always an element).
void write_side(RecordWriter& out, std::int64_t number, std::int64_t node_a, std::int64_t node_b,
                std::int64_t elem_a, std::int64_t elem_b, std::int64_t base) {
    const std::int64_t none = base == 0 ? -1 : 0;
    out.label(number + base);
    out.integer(node_a + base);
    out.integer(node_b + base);
    out.integer(elem_a + base);
    out.integer(elem_b < 0 ? none : elem_b + base);
    out.integer(elem_b < 0 ? 1 : 0);
    out.end_record();
}

void write_sides(const Grid& grid, std::int64_t base, const std::string& path) {
    RecordWriter out(path);
    out.integer(grid.side_count());
    out.end_record();
    for (std::int64_t j = 0; j <= grid.rows; ++j) {
        for (std::int64_t i = 0; i < grid.columns; ++i) {
            const auto number = grid.horizontal(i, j);
            if (j == grid.rows) {
                // Top edge, run right to left.
                write_side(out, number, grid.node(i + 1, j), grid.node(i, j), grid.upper(i, j - 1),
                           -1, base);
            } else {
                write_side(out, number, grid.node(i, j), grid.node(i + 1, j), grid.lower(i, j),
                           j > 0 ? grid.upper(i, j - 1) : -1, base);
            }
        }
    }
    for (std::int64_t j = 0; j < grid.rows; ++j) {
        for (std::int64_t i = 0; i <= grid.columns; ++i) {
            const auto number = grid.vertical(i, j);
            if (i == 0) {
                // Left edge, run top to bottom.
                write_side(out, number, grid.node(i, j + 1), grid.node(i, j), grid.upper(i, j), -1,
                           base);
            } else {
                write_side(out, number, grid.node(i, j), grid.node(i, j + 1), grid.lower(i - 1, j),
                           i < grid.columns ? grid.upper(i, j) : -1, base);
            }
        }
    }
    for (std::int64_t j = 0; j < grid.rows; ++j) {
        for (std::int64_t i = 0; i < grid.columns; ++i) {
            write_side(out, grid.diagonal(i, j), grid.node(i, j), grid.node(i + 1, j + 1),
                       grid.upper(i, j), grid.lower(i, j), base);
        }
    }
    out.finish();
}

int run(std::span<char* const> arguments) {
    for (const std::string_view argument : arguments) {
        if (argument == "-h" || argument == "--help") {
            std::fputs(usage_text, stdout);
            return 0;
        }
    }
    const Options options = parse_arguments(arguments);
    const Grid grid = make_grid(options);
    write_nodes(grid, options.numbering_base, options.base_name + ".n");
    write_elements(grid, options.numbering_base, options.base_name + ".e");
    write_sides(grid, options.numbering_base, options.base_name + ".s");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const auto count = argc > 0 ? static_cast<std::size_t>(argc - 1) : 0;
        return run(std::span<char* const>(argv + (argc > 0 ? 1 : 0), count));
    } catch (const Failure& failure) {
        std::fprintf(stderr, "make_mesh: %s\n", failure.message.c_str());
        if (failure.show_usage) {
            std::fputs(usage_text, stderr);
        }
        return 1;
    } catch (const std::bad_alloc&) {
        std::fputs("make_mesh: out of memory\n", stderr);
        return 1;
    }
}
