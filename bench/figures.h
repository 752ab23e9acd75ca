// The figures a benchmark run produces, one "<figure> <mesh> <value>" line each, and the
// table they are shown in. The native run, the Windows run and the final summary share them.
#pragma once

#include "readers.h"

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Names of the figures.
namespace figure {
inline constexpr std::string_view bytes = "bytes";             // the file set's size
inline constexpr std::string_view model_bytes = "model_bytes"; // the model's arrays
inline constexpr std::string_view load_ms = "_ms";             // after the reader's name
inline constexpr std::string_view load_runs = "_runs";         // after the reader's name
inline constexpr std::string_view peak_bytes = "_peak_bytes";  // after the reader's name
inline constexpr std::string_view paint_ms = "paint_ms";       // on a counting canvas, as text
inline constexpr std::string_view paint_composed_ms = "paint_composed_ms"; // numbers composed
inline constexpr std::string_view paint_lines = "paint_lines";             // lines one paint draws
inline constexpr std::string_view paint_texts = "paint_texts"; // numbers one paint draws
// Repaints of the main window under Wine (velmora_repaint_bench).
inline constexpr std::string_view repaint_full_ms = "repaint_full_ms";       // picture drawn
inline constexpr std::string_view repaint_partial_ms = "repaint_partial_ms"; // 200 x 150 part
inline constexpr std::string_view resize_ms = "resize_ms"; // drawn afresh as the border is dragged
inline constexpr std::string_view open_ms = "open_ms";     // load, then the first picture
inline constexpr std::string_view dialog_open_ms = "dialog_open_ms";         // from the dialog's OK
inline constexpr std::string_view repaint_plain_ms = "repaint_plain_ms";     // every call
inline constexpr std::string_view repaint_direct_ms = "repaint_direct_ms";   // on the paint DC
inline constexpr std::string_view pixels_differing = "pixels_differing";     // from the plain one
inline constexpr std::string_view repaint_kept_bytes = "repaint_kept_bytes"; // picture, scratch
inline constexpr std::string_view repaint_peak_bytes = "repaint_peak_bytes"; // at most at once
inline constexpr std::string_view index_bytes = "index_bytes"; // the index kept beside it
// Zoomed views of the main window under Wine; "_step8" or "_step24" follows the first two.
inline constexpr std::string_view zoom_ms = "zoom_ms";             // a wheel step into the step
inline constexpr std::string_view zoom_plain_ms = "zoom_plain_ms"; // the plain drawing there
inline constexpr std::string_view pan_ms = "pan_ms";               // a drag of 10 px at step 8
} // namespace figure

// The name of a figure of one reader: "product_ms" for figure::load_ms.
std::string reader_figure(Reader reader, std::string_view suffix);

class Figures {
public:
    void set(std::string_view name, std::string_view mesh, double value);
    std::optional<double> get(std::string_view name, std::string_view mesh) const;
    // Every mesh with at least one figure, in the order they were first given.
    const std::vector<std::string>& meshes() const { return meshes_; }
    bool empty() const { return values_.empty(); }

    // Adds the figures of `path` (a missing file adds nothing); false when it is unreadable.
    bool read(const std::string& path);
    // Writes the figures in the order they were first set.
    bool write(const std::string& path) const;

private:
    std::map<std::string, double, std::less<>> values_;
    std::vector<std::string> order_; // the keys of values_ in the order they were first set
    std::vector<std::string> meshes_;
};

// One line per mesh: size, load times and throughput of both readers and their ratio, peak
// memory of a load against the model's arrays, and paint or repaint times.
void print_table(std::FILE* out, const Figures& figures);
// One line per mesh of the main window's repaints under Wine, against the plain drawing.
void print_repaint_table(std::FILE* out, const Figures& figures);
// One line per mesh of the zoomed views under Wine, against the plain drawing of each.
void print_view_table(std::FILE* out, const Figures& figures);
