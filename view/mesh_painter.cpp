#include "mesh_painter.h"

#include "certain_truncation.h"
#include "coverage_mask.h"
#include "digit_atlas.h"
#include "number_placement.h"
#include "number_rows.h"
#include "scratch_memory.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace {

// Gives a block of pixels back to the scratch memory.
struct ReleasePixels {
    std::size_t bytes = 0;
    void operator()(std::uint32_t* pixels) const noexcept { release_scratch(pixels, bytes); }
};

// How the numbers are drawn: composed from the atlas into a picture of the clip box as their
// cells are covered, the last first; or drawn as text, those that show.
struct NumberCover {
    CoverageMask covered; // the pixels the cells cover in the end
    // The clip box's pixels under the numbers, composed; only those covered are written.
    std::unique_ptr<std::uint32_t[], ReleasePixels> composed;
    std::vector<ShownNumber> shown; // drawn as text: the numbers that show, the last first

    // True when every pixel of `box` in the clip box is covered.
    bool covers(const CellBox& box) const { return covered.covers(box); }
};

// Above this many pixels in the clip box, telling hidden numbers apart costs more memory than
// it saves.
constexpr std::int64_t max_mask_pixels = std::int64_t{1} << 26;
// The cover that composes the numbers keeps a picture of its own, four bytes a pixel, 32 times
// the mask: above this many pixels (64 MB, a 5K display) the numbers are composed straight into
// the canvas instead.
constexpr std::int64_t max_composed_pixels = std::int64_t{1} << 24;
// Above this many words of the mask in a number's cell, telling hidden numbers apart costs
// more time than drawing them.
constexpr std::int64_t max_cell_words = 1024;
// Lines are handed to the canvas this many at a time.
constexpr std::size_t line_batch = 4096;

// A one-pixel pen draws a line's pixels inside the box of its end points.
bool line_misses(const DeviceRect& clip, DevicePoint a, DevicePoint b) {
    return std::max(a.x, b.x) < clip.left || std::min(a.x, b.x) >= clip.right ||
           std::max(a.y, b.y) < clip.top || std::min(a.y, b.y) >= clip.bottom;
}

// Every node's device point, each converted once though sides share their nodes.
std::vector<DevicePoint> device_points(const MeshModel& mesh, const ViewTransform& view) {
    std::vector<DevicePoint> points;
    points.reserve(mesh.nodes.size());
    for (const MeshNode& node : mesh.nodes) {
        points.push_back(quick_to_device(view, node.x, node.y));
    }
    return points;
}

// The lines of a paint, handed to the canvas a batch at a time.
class LineBatch {
public:
    explicit LineBatch(Canvas& canvas) : canvas_(canvas) { segments_.reserve(line_batch); }
    LineBatch(const LineBatch&) = delete;
    LineBatch& operator=(const LineBatch&) = delete;
    ~LineBatch() { flush(); }

    void add(DevicePoint from, DevicePoint to) {
        segments_.push_back({from, to});
        if (segments_.size() == line_batch) {
            flush();
        }
    }
    // A line drawn with move_to and line_to themselves, after the lines before it.
    void add_plain(DevicePoint from, DevicePoint to) {
        flush();
        canvas_.move_to(from);
        canvas_.line_to(to);
    }
    void flush() {
        if (!segments_.empty()) {
            canvas_.draw_lines(segments_);
            segments_.clear();
        }
    }

private:
    Canvas& canvas_;
    std::vector<LineSegment> segments_;
};

bool drawn_side(const MeshModel& mesh, const MeshSide& side) {
    return side.mark != -1 && mesh.has_node(side.node_a) && mesh.has_node(side.node_b);
}

void draw_side(LineBatch& lines, const DeviceRect& clip, const NumberCover* under_numbers,
               DevicePoint from, DevicePoint to) {
    // A line to its own start draws nothing, and the current position it leaves is unused.
    if (from == to || line_misses(clip, from, to)) {
        return;
    }
    // Beyond the reach GDI draws exactly, a line is drawn as it is, wherever it may land.
    if (!within_exact_line_reach(from) || !within_exact_line_reach(to)) {
        lines.add_plain(from, to);
        return;
    }
    // The opaque cells of the numbers, drawn after every line, hide a line beneath them.
    if (under_numbers != nullptr &&
        under_numbers->covers({std::min(from.x, to.x), std::min(from.y, to.y),
                               std::int64_t{std::max(from.x, to.x)} + 1,
                               std::int64_t{std::max(from.y, to.y)} + 1})) {
        return;
    }
    lines.add(from, to);
}

// The elements and sides a paint looks at, a block at a time: all of them where a selection is
// not set.
struct Selection {
    std::optional<ScratchVector<ElementBlock>> elements;
    std::optional<ScratchVector<RecordBlock>> sides;
};

// Calls `visit_block(block)` for every block of selected elements, the last first, and where it
// returns true, `visit(index)` for each element of the block, the last first. Without a
// selection, every element, the last first.
template <typename VisitBlock, typename Visit>
void for_each_element_descending(const MeshModel& mesh, const Selection& selection,
                                 VisitBlock&& visit_block, Visit&& visit) {
    if (!selection.elements) {
        for (std::int32_t index = mesh.element_count() - 1; index >= 0; --index) {
            visit(index);
        }
        return;
    }
    for (auto block = selection.elements->rbegin(); block != selection.elements->rend(); ++block) {
        if (visit_block(*block)) {
            for (std::int32_t index = block->end - 1; index >= block->first; --index) {
                visit(index);
            }
        }
    }
}

template <typename Visit>
void for_each_element_ascending(const MeshModel& mesh, const Selection& selection, Visit&& visit) {
    if (!selection.elements) {
        for (std::int32_t index = 0; index < mesh.element_count(); ++index) {
            visit(index);
        }
        return;
    }
    for (const RecordBlock& block : *selection.elements) {
        for (std::int32_t index = block.first; index < block.end; ++index) {
            visit(index);
        }
    }
}

template <typename Blocks> std::size_t records_in(const Blocks& blocks) {
    std::size_t records = 0;
    for (const RecordBlock& block : blocks) {
        records += static_cast<std::size_t>(block.end - block.first);
    }
    return records;
}

void draw_sides(const MeshModel& mesh, Canvas& canvas, const ViewTransform& view,
                const DeviceRect& clip, const NumberCover* under_numbers,
                const Selection& selection) {
    if (mesh.sides.empty()) {
        return;
    }
    LineBatch lines(canvas);
    // A few sides of many convert their own nodes; many convert every node once.
    if (selection.sides && 2 * records_in(*selection.sides) < mesh.nodes.size()) {
        for (const RecordBlock& block : *selection.sides) {
            for (std::int32_t index = block.first; index < block.end; ++index) {
                const MeshSide& side = mesh.sides[static_cast<std::size_t>(index)];
                if (drawn_side(mesh, side)) {
                    const MeshNode& a = mesh.node(side.node_a);
                    const MeshNode& b = mesh.node(side.node_b);
                    draw_side(lines, clip, under_numbers, quick_to_device(view, a.x, a.y),
                              quick_to_device(view, b.x, b.y));
                }
            }
        }
        return;
    }
    const std::vector<DevicePoint> points = device_points(mesh, view);
    const auto draw_range = [&](std::int32_t first, std::int32_t end) {
        for (std::int32_t index = first; index < end; ++index) {
            const MeshSide& side = mesh.sides[static_cast<std::size_t>(index)];
            if (drawn_side(mesh, side)) {
                draw_side(lines, clip, under_numbers, points[static_cast<std::size_t>(side.node_a)],
                          points[static_cast<std::size_t>(side.node_b)]);
            }
        }
    };
    if (!selection.sides) {
        draw_range(0, mesh.side_count());
        return;
    }
    for (const RecordBlock& block : *selection.sides) {
        draw_range(block.first, block.end);
    }
}

bool cell_misses(const DeviceRect& clip, const CellBox& cell) {
    return cell.right <= clip.left || cell.left >= clip.right || cell.bottom <= clip.top ||
           cell.top >= clip.bottom;
}

// Whether the cells of the numbers can be followed pixel by pixel in the clip box: not without
// digit widths, for an empty clip box, for one too big to track (or, where the numbers are
// `composed`, to keep a picture of), or for cells too big to walk.
bool coverable(const NumberLayout& layout, const DeviceRect& clip, bool composed) {
    const std::int64_t width = std::int64_t{clip.right} - clip.left;
    const std::int64_t height = std::int64_t{clip.bottom} - clip.top;
    if (!layout.digit_widths || width <= 0 || height <= 0) {
        return false;
    }
    // The mask keeps each row in whole 64-bit words: a clip box one pixel wide costs 64 bits a
    // row, so the rows' words, not the pixels, are what must stay within the limit.
    const std::int64_t row_bits = (width + 63) / 64 * 64;
    const bool mask_too_big =
        width > max_mask_pixels || height > max_mask_pixels || row_bits * height > max_mask_pixels;
    if (mask_too_big || (composed && width * height > max_composed_pixels)) {
        return false;
    }
    // Each number's cell is walked a word at a time, row by row: the cells of a font hundreds
    // of pixels high would cost more to track than they save.
    const std::int64_t cell_words =
        std::min((layout.widest_digit() * max_number_length + 63) / 64 + 1, row_bits / 64);
    const bool cells_too_big = cell_words * std::min(layout.text_height, height) > max_cell_words;
    return !cells_too_big;
}

// Numbers hidden under the opaque cells of later numbers draw nothing that stays visible.
// Walking backwards, a number whose cell the cells of the numbers after it already cover is
// hidden, and so is a whole block of numbers whose cells can only lie where everything is
// covered already. With an atlas, the pixels each number shows are composed into `composed` as
// it is found.
void cover_backwards(const MeshModel& mesh, const ViewTransform& view, const NumberLayout& layout,
                     const DigitAtlas* atlas, const Selection& selection,
                     const PixelPicture& composed, CoverageMask& band,
                     std::vector<ShownNumber>& shown) {
    const auto block_hidden = [&](const RecordBlock& block) {
        return block.x.lo > block.x.hi || // no element of the block is drawn
               band.covers(block_cells_box(mesh, view, layout, block));
    };
    for_each_element_descending(
        mesh, selection, [&](const RecordBlock& block) { return !block_hidden(block); },
        [&](std::int32_t index) {
            DevicePoint point{};
            if (!number_point(mesh, view, layout, index, point)) {
                return;
            }
            const std::int64_t number = shown_number(mesh, index);
            const CellBox cell = number_cell(layout, point, number);
            if (atlas != nullptr) {
                compose_cell(composed, band, *atlas, cell, [number] { return NumberText(number); });
            } else if (band.cover_if_open(cell)) {
                shown.push_back({index, point});
            }
        });
}

// The cover of the numbers in the clip box: with an index, found a row at a time (on two
// threads from `threaded_least` elements on) where the blocks of the index keep to a few rows,
// otherwise walking every number backwards.
NumberCover cover_numbers(const MeshModel& mesh, const ViewTransform& view,
                          const NumberLayout& layout, const DigitAtlas* atlas,
                          const DeviceRect& clip, const Selection& selection,
                          std::size_t threaded_least) {
    NumberCover cover{CoverageMask(clip), {}, {}};
    PixelPicture composed;
    if (atlas != nullptr) {
        // Left as they come: only the covered pixels are written, and only those are read.
        const auto bytes = static_cast<std::size_t>((std::int64_t{clip.right} - clip.left) *
                                                    (std::int64_t{clip.bottom} - clip.top)) *
                           sizeof(std::uint32_t);
        cover.composed = {static_cast<std::uint32_t*>(allocate_scratch(bytes)),
                          ReleasePixels{bytes}};
        composed = {cover.composed.get(), std::int64_t{clip.right} - clip.left, clip};
    }
    if (!selection.elements ||
        !cover_numbers_by_rows(mesh, view, layout, atlas, *selection.elements, cover.covered,
                               composed, cover.shown,
                               records_in(*selection.elements) >= threaded_least)) {
        cover_backwards(mesh, view, layout, atlas, selection, composed, cover.covered, cover.shown);
    }
    return cover;
}

// The numbers as text, after all lines, so that a number is on top of any line it overlaps:
// those that show where the cover is known, otherwise every one whose cell meets the clip box.
void draw_numbers(const MeshModel& mesh, Canvas& canvas, const ViewTransform& view,
                  const NumberLayout& layout, const DeviceRect& clip, const NumberCover* cover,
                  const Selection& selection) {
    const auto draw = [&](std::int32_t index, DevicePoint point) {
        const std::int64_t number = shown_number(mesh, index);
        if (!cell_misses(clip, number_cell(layout, point, number))) {
            canvas.text_out(point, NumberText(number).text());
        }
    };
    if (cover != nullptr) {
        for (auto shown = cover->shown.rbegin(); shown != cover->shown.rend(); ++shown) {
            draw(shown->index, shown->point);
        }
        return;
    }
    for_each_element_ascending(mesh, selection, [&](std::int32_t index) {
        DevicePoint point{};
        if (number_point(mesh, view, layout, index, point)) {
            draw(index, point);
        }
    });
}

// The composed numbers laid over the lines in the canvas's pixels, where their cells cover.
void lay_composed_numbers(Canvas& canvas, const DeviceRect& clip, const NumberCover& cover) {
    const PixelPicture picture = canvas.pixels().within(clip);
    if (picture.empty()) {
        return;
    }
    const std::int64_t stride = std::int64_t{clip.right} - clip.left;
    cover.covered.for_each_covered_run([&](std::int64_t from, std::int64_t to, std::int64_t y) {
        from = std::max<std::int64_t>(from, picture.area.left);
        to = std::min<std::int64_t>(to, picture.area.right);
        if (from < to && y >= picture.area.top && y < picture.area.bottom) {
            const std::uint32_t* source =
                cover.composed.get() + (y - clip.top) * stride + (from - clip.left);
            std::copy(source, source + (to - from), &picture.at(from, y));
        }
    });
}

// The numbers composed from the atlas straight into the canvas's pixels, the last first, so
// that every pixel is written once at most, where their cells are too big to follow while
// covering. False, having written nothing, where the pixels are too many to track.
bool compose_numbers(const MeshModel& mesh, Canvas& canvas, const DigitAtlas& atlas,
                     const ViewTransform& view, const NumberLayout& layout, const DeviceRect& clip,
                     const Selection& selection) {
    const PixelPicture picture = canvas.pixels().within(clip);
    if (picture.width() * picture.height() > max_mask_pixels) {
        return false;
    }
    if (picture.empty()) {
        return true;
    }
    CoverageMask written(picture.area);
    std::vector<ShownNumber> composed_only;
    cover_backwards(mesh, view, layout, &atlas, selection, picture, written, composed_only);
    return true;
}

// The elements whose numbers can show in the clip box, as the index tells them: a number's
// point lies within its cell's size of the box.
ScratchVector<ElementBlock> select_elements(const MeshIndex& index, const ViewTransform& view,
                                            const NumberLayout& layout, const DeviceRect& clip) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    MeshInterval x{-inf, inf};
    if (layout.digit_widths) {
        const std::int64_t reach = layout.widest_digit() * max_number_length / 2 + 2;
        x = device_preimage(view.scale, view.offset_x, 0.0, view.pan_x,
                            std::int64_t{clip.left} - reach, std::int64_t{clip.right} + reach);
    }
    const MeshInterval y = device_preimage(-view.scale, view.offset_y, layout.half_text, view.pan_y,
                                           std::int64_t{clip.top} - layout.text_height - 1,
                                           std::int64_t{clip.bottom} + 1);
    return index.elements_within(x, y);
}

// Whether every line within the mesh box `x` by `y` lies under the numbers' cells: its device
// box, within the reach where GDI draws lines exactly, is covered.
bool lines_hidden_within(const ViewTransform& view, const NumberCover& under_numbers,
                         MeshInterval x, MeshInterval y) {
    const CellBox box = device_box(view, x, y);
    return within_exact_line_reach(
               {static_cast<std::int32_t>(box.left), static_cast<std::int32_t>(box.top)}) &&
           within_exact_line_reach({static_cast<std::int32_t>(box.right - 1),
                                    static_cast<std::int32_t>(box.bottom - 1)}) &&
           under_numbers.covers(box);
}

// Whether no side of the mesh can show: the box of all its nodes, which holds every side drawn,
// lies under the numbers' cells, as at the fit of a dense mesh. The sides' own boxes are then
// never needed.
bool every_line_hidden(const MeshIndex& index, const ViewTransform& view,
                       const NumberCover& under_numbers) {
    const RecordBlock& nodes = index.nodes_box();
    return nodes.x.lo > nodes.x.hi || // no node, so no side drawn
           lines_hidden_within(view, under_numbers, nodes.x, nodes.y);
}

// The sides whose lines can show in the clip box, as the index tells them: a line's box meets
// the box, and does not lie wholly under the numbers' cells.
ScratchVector<RecordBlock> select_sides(const MeshIndex& index, const MeshModel& mesh,
                                        const ViewTransform& view, const DeviceRect& clip,
                                        const NumberCover* under_numbers) {
    const MeshInterval x = device_preimage(view.scale, view.offset_x, 0.0, view.pan_x,
                                           std::int64_t{clip.left} - 1, clip.right);
    const MeshInterval y = device_preimage(-view.scale, view.offset_y, 0.0, view.pan_y,
                                           std::int64_t{clip.top} - 1, clip.bottom);
    if (under_numbers == nullptr) {
        return index.sides_within(mesh, x, y);
    }
    return index.sides_within(mesh, x, y, [&](MeshInterval area_x, MeshInterval area_y) {
        return lines_hidden_within(view, *under_numbers, area_x, area_y);
    });
}

// The paint itself: its scratch memory is given back once it returns.
void paint_view(const MeshModel& mesh, Canvas& canvas, const ViewTransform& view,
                const MeshIndex* index, std::size_t threaded_least) {
    const std::int32_t text_height = canvas.text_height();
    canvas.set_text_align(text_align_top_center);
    canvas.set_text_color(color_red);
    NumberLayout layout = number_layout(canvas, text_height);
    const DigitAtlas* atlas = usable_atlas(canvas, layout, text_height);
    layout.odd_width_rounds_up = atlas != nullptr && atlas->odd_width_rounds_up;
    const DeviceRect clip = canvas.clip_box();
    if (index != nullptr && !index->fits(mesh)) {
        index = nullptr;
    }
    Selection selection;
    if (index != nullptr) {
        selection.elements = select_elements(*index, view, layout, clip);
    }
    std::optional<NumberCover> cover;
    if (coverable(layout, clip, atlas != nullptr)) {
        cover = cover_numbers(mesh, view, layout, atlas, clip, selection, threaded_least);
    }
    const NumberCover* under_numbers = cover ? &*cover : nullptr;
    const bool sides_hidden = index != nullptr && under_numbers != nullptr &&
                              every_line_hidden(*index, view, *under_numbers);
    if (!sides_hidden) {
        if (index != nullptr) {
            selection.sides = select_sides(*index, mesh, view, clip, under_numbers);
        }
        draw_sides(mesh, canvas, view, clip, under_numbers, selection);
    }
    if (atlas != nullptr && cover) {
        lay_composed_numbers(canvas, clip, *cover);
    } else if (atlas == nullptr ||
               !compose_numbers(mesh, canvas, *atlas, view, layout, clip, selection)) {
        draw_numbers(mesh, canvas, view, layout, clip, under_numbers, selection);
    }
}

// What a paint's scratch memory may keep for the next: an eighth of the mesh's arrays, so that
// a large mesh repaints without faulting its scratch in again, and a small one, quick to paint,
// keeps next to nothing.
std::size_t kept_scratch_bytes(const MeshModel& mesh) {
    return mesh.array_bytes() / 8;
}

} // namespace

void paint_mesh(const MeshModel& mesh, Canvas& canvas, const ViewTransform& view,
                const MeshIndex* index, std::size_t threaded_least) {
    paint_view(mesh, canvas, view, index, threaded_least);
    trim_scratch(kept_scratch_bytes(mesh));
}

void paint_mesh(const MeshModel& mesh, Canvas& canvas, DeviceRect rect) {
    paint_mesh(mesh, canvas, fitted_view(compute_view_fit(mesh, rect)));
}

void paint_mesh(Canvas& canvas, DeviceRect rect) {
    paint_mesh(current_mesh(), canvas, rect);
}
