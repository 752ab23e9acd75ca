#include "number_rows.h"

#include "scratch_memory.h"
#include "second_thread.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdint>
#include <emmintrin.h>
#include <functional>
#include <limits>
#include <optional>
#include <utility>

namespace {

// The rows go to the threads in stripes of this many, each stripe to the thread that asks
// first: the second thread starts late (a millisecond or two under Wine) and rows differ in
// cost, yet neither thread waits for the other; and each thread's rows of the coverage mask lie
// in cache lines of their own.
constexpr std::int64_t stripe_rows = 16;

// Above this many text heights of rows reached by a block, on average, the numbers lie too
// spread out to be found a row at a time.
constexpr std::int64_t spread_heights = 4;

// A block of the index, and where its numbers can be: the columns their cells may reach (right
// exclusive) and the rows of the area they may reach (bottom exclusive).
struct BlockReach {
    const ElementBlock* block; // read where its points are worked out
    // The block's records, kept beside its reach: the rows' walk reads them for every block it
    // looks at, and reaching into the blocks for them each time measured 2 to 3% slower.
    std::int32_t first;
    std::int32_t end;
    std::int64_t left;
    std::int64_t right;
    std::int64_t top;
    std::int64_t bottom;
};

// The blocks whose cells may reach the area, and for each row the blocks that may reach it, the
// last first.
struct RowLists {
    ScratchVector<BlockReach> reaches;
    // A row's blocks start here in `blocks`; one more than rows.
    ScratchVector<std::uint32_t> starts;
    ScratchVector<std::uint32_t> blocks; // indices into `reaches`
};

RowLists row_lists(const MeshModel& mesh, const ViewTransform& view, const NumberLayout& layout,
                   std::span<const ElementBlock> blocks, const DeviceRect& area) {
    RowLists lists;
    lists.reaches.reserve(blocks.size()); // grown, it would leave its smaller blocks waiting
    for (const ElementBlock& block : blocks) {
        if (block.x.lo > block.x.hi || block.first >= block.end) {
            continue; // no element of the block is drawn
        }
        const CellBox cells = block_cells_box(mesh, view, layout, block);
        const BlockReach reach{&block,
                               block.first,
                               block.end,
                               cells.left,
                               cells.right,
                               std::max<std::int64_t>(cells.top, area.top),
                               std::min<std::int64_t>(cells.bottom, area.bottom)};
        if (reach.top < reach.bottom && reach.left < area.right && reach.right > area.left) {
            lists.reaches.push_back(reach);
        }
    }
    const auto rows = static_cast<std::size_t>(std::int64_t{area.bottom} - area.top);
    lists.starts.assign(rows + 1, 0);
    for (const BlockReach& reach : lists.reaches) {
        for (std::int64_t y = reach.top; y < reach.bottom; ++y) {
            ++lists.starts[static_cast<std::size_t>(y - area.top) + 1];
        }
    }
    for (std::size_t row = 0; row < rows; ++row) {
        lists.starts[row + 1] += lists.starts[row];
    }
    lists.blocks.resize(lists.starts[rows]);
    ScratchVector<std::uint32_t> next(lists.starts.begin(), lists.starts.end() - 1);
    for (std::size_t k = lists.reaches.size(); k-- > 0;) {
        const BlockReach& reach = lists.reaches[k];
        for (std::int64_t y = reach.top; y < reach.bottom; ++y) {
            lists.blocks[next[static_cast<std::size_t>(y - area.top)]++] =
                static_cast<std::uint32_t>(k);
        }
    }
    return lists;
}

// A row of the area as bits, one for each pixel from the area's left edge.
class RowBits {
public:
    explicit RowBits(std::int64_t width)
        : width_(width), words_(static_cast<std::size_t>((width + 63) / 64)) {}

    void clear() { std::fill(words_.begin(), words_.end(), 0); }
    const std::uint64_t* data() const { return words_.data(); }

    // Whether every pixel from `from` to `to` (right exclusive, from the left edge) inside the
    // row is set; outside it, everything counts as set.
    bool all_set(std::int64_t from, std::int64_t to) const {
        from = std::max<std::int64_t>(from, 0);
        to = std::min(to, width_);
        for (std::int64_t word = from >> 6; from < to; ++word) {
            const std::int64_t word_end = std::min(to, (word + 1) << 6);
            if ((words_[static_cast<std::size_t>(word)] | ~bits(from, word_end)) != ~0ULL) {
                return false;
            }
            from = word_end;
        }
        return true;
    }

    // Sets every pixel from `from` to `to` inside the row, after calling `fill(from, to)` for
    // each run of them that was not set yet.
    template <typename Fill> void set(std::int64_t from, std::int64_t to, Fill&& fill) {
        from = std::max<std::int64_t>(from, 0);
        to = std::min(to, width_);
        for (std::int64_t word = from >> 6; from < to; ++word) {
            const std::int64_t word_end = std::min(to, (word + 1) << 6);
            std::uint64_t& bits_of_word = words_[static_cast<std::size_t>(word)];
            const std::uint64_t open = bits(from, word_end) & ~bits_of_word;
            bits_of_word |= bits(from, word_end);
            for_each_run(open,
                         [&](int start, int end) { fill((word << 6) + start, (word << 6) + end); });
            from = word_end;
        }
    }

private:
    // The bits of pixels `from` to `to` of the word that holds `from`, `to` within it or at its
    // end.
    static std::uint64_t bits(std::int64_t from, std::int64_t to) {
        // Those from `from` up, and those below `to` (all of them where `to` ends the word).
        return (~0ULL << (from & 63)) & (~0ULL >> (-to & 63));
    }

    std::int64_t width_;
    std::vector<std::uint64_t> words_;
};

// The number points of the blocks a thread looked at last: a block reaches the rows of a
// number's height, which one thread takes in turn, and its points are worked out once for
// them all.
class PointCache {
public:
    struct Entry {
        std::size_t reach = std::numeric_limits<std::size_t>::max();
        // Where each element's number goes, the last first; y beyond every row where the
        // element has a corner missing.
        std::array<DevicePoint, MeshIndex::block_size> points{};

        // Bit i set where the number of points[i], of the first `count`, reaches row `y`.
        std::uint64_t in_row(std::int64_t y, std::int64_t text_height, std::int32_t count) const {
            const std::uint64_t counted = count >= 64 ? ~0ULL : (std::uint64_t{1} << count) - 1;
            // Four points at a time, in 32 bits: y - point.y wraps where it lies beyond the
            // 32-bit range, but never into [0, text_height) while both y and the height are
            // within 2^30 (as rows and text heights are); outside that, a point at a time.
            constexpr std::int64_t near = std::int64_t{1} << 30;
            if (y <= -near || y >= near || text_height >= near) {
                std::uint64_t bits = 0;
                for (std::size_t slot = 0; slot < points.size(); ++slot) {
                    if (points[slot].y <= y && y < points[slot].y + text_height) {
                        bits |= std::uint64_t{1} << slot;
                    }
                }
                return bits & counted;
            }
            static_assert(sizeof(DevicePoint) == 2 * sizeof(std::int32_t));
            const __m128i row = _mm_set1_epi32(static_cast<std::int32_t>(y));
            const __m128i below = _mm_set1_epi32(-1);
            const __m128i height = _mm_set1_epi32(static_cast<std::int32_t>(text_height));
            std::uint64_t bits = 0;
            for (std::size_t slot = 0; slot < points.size(); slot += 4) {
                const auto pair = [&](std::size_t at) {
                    return _mm_castsi128_ps(
                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(&points[at])));
                };
                // The four y's: each point is x, y.
                const __m128i tops = _mm_castps_si128(
                    _mm_shuffle_ps(pair(slot), pair(slot + 2), _MM_SHUFFLE(3, 1, 3, 1)));
                const __m128i down = _mm_sub_epi32(row, tops);
                const __m128i reached =
                    _mm_and_si128(_mm_cmpgt_epi32(down, below), _mm_cmpgt_epi32(height, down));
                bits |= static_cast<std::uint64_t>(_mm_movemask_ps(_mm_castsi128_ps(reached)))
                        << slot;
            }
            return bits & counted;
        }
    };

    // The entry of reach `reach`, and whether its points are there already.
    std::pair<Entry&, bool> find(std::size_t reach) {
        Entry& entry = entries_[reach % entries_.size()];
        const bool found = entry.reach == reach;
        entry.reach = reach;
        return {entry, found};
    }

private:
    std::vector<Entry> entries_ = std::vector<Entry>(64);
};

struct RowPass {
    const MeshModel& mesh;
    const ViewTransform& view;
    const NumberLayout& layout;
    const DigitAtlas* atlas;
    const RowLists& lists;
    const DeviceRect& area;
    CoverageMask& covered;
    const PixelPicture& composed;

    // The rows of the stripes `next_stripe` hands out; the numbers that show, where text is
    // wanted, into `shown`.
    void cover_stripes(std::atomic<std::int64_t>& next_stripe,
                       std::vector<ShownNumber>* shown) const {
        RowBits row(std::int64_t{area.right} - area.left);
        PointCache points;
        for (;;) {
            const std::int64_t top = area.top + next_stripe.fetch_add(1) * stripe_rows;
            if (top >= area.bottom) {
                return;
            }
            const std::int64_t end = std::min<std::int64_t>(top + stripe_rows, area.bottom);
            for (std::int64_t y = top; y < end; ++y) {
                cover_row(y, row, points, shown);
                covered.cover_row(y, row.data());
            }
        }
    }

    void cover_row(std::int64_t y, RowBits& row, PointCache& points,
                   std::vector<ShownNumber>* shown) const {
        row.clear();
        const auto at = static_cast<std::size_t>(y - area.top);
        for (std::uint32_t k = lists.starts[at]; k < lists.starts[at + 1]; ++k) {
            const BlockReach& reach = lists.reaches[lists.blocks[k]];
            if (row.all_set(reach.left - area.left, reach.right - area.left)) {
                continue; // whatever the block's numbers show in this row, later ones cover
            }
            auto [cached, found] = points.find(lists.blocks[k]);
            if (!found) {
                block_number_points(mesh, view, layout, *reach.block, cached.points.data());
            }
            for (std::uint64_t reaching =
                     cached.in_row(y, layout.text_height, reach.end - reach.first);
                 reaching != 0; reaching &= reaching - 1) {
                const auto slot = static_cast<std::size_t>(std::countr_zero(reaching));
                const auto index = static_cast<std::int32_t>(reach.end - 1 - slot);
                const DevicePoint point = cached.points[slot];
                const std::int64_t number = shown_number(mesh, index);
                const CellBox cell = number_cell(layout, point, number);
                std::optional<NumberText> text;
                bool shows = false;
                row.set(cell.left - area.left, cell.right - area.left,
                        [&](std::int64_t from, std::int64_t to) {
                            shows = true;
                            if (atlas != nullptr) {
                                if (!text) {
                                    text.emplace(number);
                                }
                                compose_row(*atlas, text->text(), cell.left, y - cell.top,
                                            area.left + from, area.left + to,
                                            &composed.at(area.left + from, y));
                            }
                        });
                if (shows && shown != nullptr) {
                    shown->push_back({index, point});
                }
            }
        }
    }
};

} // namespace

bool cover_numbers_by_rows(const MeshModel& mesh, const ViewTransform& view,
                           const NumberLayout& layout, const DigitAtlas* atlas,
                           std::span<const ElementBlock> blocks, CoverageMask& covered,
                           const PixelPicture& composed, std::vector<ShownNumber>& shown,
                           bool two_threads) {
    const DeviceRect area = covered.area();
    if (area.left >= area.right || area.top >= area.bottom) {
        return true;
    }
    const RowLists lists = row_lists(mesh, view, layout, blocks, area);
    // A block of neighbours reaches the rows of a few numbers' heights.
    if (lists.blocks.size() >
        lists.reaches.size() * static_cast<std::size_t>(spread_heights * layout.text_height) +
            static_cast<std::size_t>(std::int64_t{area.bottom} - area.top)) {
        return false;
    }
    const RowPass pass{mesh, view, layout, atlas, lists, area, covered, composed};
    std::vector<ShownNumber> shown_above;
    std::vector<ShownNumber> shown_below;
    std::vector<ShownNumber>* text_above = atlas == nullptr ? &shown_above : nullptr;
    std::vector<ShownNumber>* text_below = atlas == nullptr ? &shown_below : nullptr;
    std::atomic<std::int64_t> next_stripe{0};
    // Each writes the rows of its own stripes and a list of its own; either takes every stripe
    // the other does not.
    const std::function<void()> cover_above = [&] { pass.cover_stripes(next_stripe, text_above); };
    if (two_threads) {
        view_second_thread().run_beside([&] { pass.cover_stripes(next_stripe, text_below); },
                                        cover_above);
    } else {
        cover_above();
    }
    if (atlas != nullptr) {
        return true;
    }
    // A number shows where it shows in any row; the last first, once.
    shown.insert(shown.end(), shown_above.begin(), shown_above.end());
    shown.insert(shown.end(), shown_below.begin(), shown_below.end());
    std::sort(shown.begin(), shown.end(),
              [](const ShownNumber& a, const ShownNumber& b) { return a.index > b.index; });
    shown.erase(
        std::unique(shown.begin(), shown.end(),
                    [](const ShownNumber& a, const ShownNumber& b) { return a.index == b.index; }),
        shown.end());
    return true;
}
