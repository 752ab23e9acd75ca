#include "figures.h"

#include "bench_meshes.h"

#include <algorithm>
#include <cstring>

namespace {

std::string key_of(std::string_view name, std::string_view mesh) {
    return std::string(name) + ' ' + std::string(mesh);
}

// A column of `width` characters: the value with `decimals`, or "-" when there is none.
std::string cell(std::optional<double> value, int width, int decimals) {
    char text[64];
    if (value) {
        std::snprintf(text, sizeof text, "%*.*f", width, decimals, *value);
    } else {
        std::snprintf(text, sizeof text, "%*s", width, "-");
    }
    return text;
}

std::string cell(std::string_view text, int width) {
    char padded[64];
    std::snprintf(padded, sizeof padded, "%*.*s", width, static_cast<int>(text.size()),
                  text.data());
    return padded;
}

std::optional<double> quotient(std::optional<double> a, std::optional<double> b) {
    if (!a || !b || *b == 0.0) {
        return std::nullopt;
    }
    return *a / *b;
}

std::optional<double> scaled(std::optional<double> value, double factor) {
    return value ? std::optional(*value * factor) : std::nullopt;
}

} // namespace

std::string reader_figure(Reader reader, std::string_view suffix) {
    return std::string(reader_name(reader)) + std::string(suffix);
}

void Figures::set(std::string_view name, std::string_view mesh, double value) {
    const auto [place, inserted] = values_.insert_or_assign(key_of(name, mesh), value);
    if (inserted) {
        order_.push_back(place->first);
    }
    if (std::find(meshes_.begin(), meshes_.end(), mesh) == meshes_.end()) {
        meshes_.emplace_back(mesh);
    }
}

std::optional<double> Figures::get(std::string_view name, std::string_view mesh) const {
    const auto found = values_.find(key_of(name, mesh));
    return found == values_.end() ? std::nullopt : std::optional(found->second);
}

bool Figures::read(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) {
        return true;
    }
    char name[128];
    char mesh[128];
    double value = 0.0;
    int fields = 0;
    while ((fields = std::fscanf(file, "%127s %127s %lf", name, mesh, &value)) == 3) {
        set(name, mesh, value);
    }
    const bool complete = fields == EOF && !std::ferror(file);
    std::fclose(file);
    return complete;
}

bool Figures::write(const std::string& path) const {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        return false;
    }
    for (const std::string& key : order_) {
        std::fprintf(file, "%s %.17g\n", key.c_str(), values_.find(key)->second);
    }
    return std::fclose(file) == 0;
}

void print_table(std::FILE* out, const Figures& figures) {
    constexpr double ms_per_s = 1000.0;
    std::fprintf(out, "%-11s %7s | %9s %7s %9s | %9s %7s %4s | %6s | %7s %7s | %7s %7s | %s\n",
                 "mesh", "MB", "product", "MB/s", "1 thread", "reference", "MB/s", "runs", "ratio",
                 "model", "product", "model", "refer.", "paint ms, counting canvas");
    std::fprintf(out, "%-11s %7s | %9s %7s %9s | %9s %7s %4s | %6s | %7s %7s | %7s %7s | %s\n", "",
                 "", "ms", "", "ms", "ms", "", "", "", "MB", "peak MB", "x", "peak x",
                 "  as text / composed");
    for (const std::string& mesh : figures.meshes()) {
        const auto get = [&](std::string_view name) { return figures.get(name, mesh); };
        const auto bytes = get(figure::bytes);
        const auto model = get(figure::model_bytes);
        const auto product_ms = get(reader_figure(Reader::product, figure::load_ms));
        const auto one_thread_ms = get(reader_figure(Reader::one_thread, figure::load_ms));
        const auto reference_ms = get(reader_figure(Reader::reference, figure::load_ms));
        const auto reference_runs = get(reader_figure(Reader::reference, figure::load_runs));
        const auto product_peak = get(reader_figure(Reader::product, figure::peak_bytes));
        const auto reference_peak = get(reader_figure(Reader::reference, figure::peak_bytes));
        const auto throughput = [&](std::optional<double> ms) {
            return quotient(scaled(bytes, 1.0 / bytes_per_mb), scaled(ms, 1.0 / ms_per_s));
        };

        std::string line = cell(mesh, -11) + " " + cell(scaled(bytes, 1.0 / bytes_per_mb), 7, 1);
        line += " | " + cell(product_ms, 9, 1) + " " + cell(throughput(product_ms), 7, 0) + " " +
                cell(one_thread_ms, 9, 1);
        line += " | " + cell(reference_ms, 9, 1) + " " + cell(throughput(reference_ms), 7, 0) +
                " " + cell(reference_runs, 4, 0);
        line += " | " + cell(quotient(reference_ms, product_ms), 5, 1) + "x";
        line += " | " + cell(scaled(model, 1.0 / bytes_per_mb), 7, 1) + " " +
                cell(scaled(product_peak, 1.0 / bytes_per_mb), 7, 1);
        line += " | " + cell(quotient(product_peak, model), 7, 3) + " " +
                cell(quotient(reference_peak, model), 7, 3) + " | ";
        line +=
            cell(get(figure::paint_ms), 9, 1) + " / " + cell(get(figure::paint_composed_ms), 8, 1);
        std::fprintf(out, "%s\n", line.c_str());
    }
    std::fputs("product: the load on all the machine's threads, 1 thread: on the calling thread"
               " alone; ratio: reference load time / product load time (on the same files);"
               " x: peak growth of a load in a fresh process / the model's arrays\n",
               out);
}

void print_repaint_table(std::FILE* out, const Figures& figures) {
    std::fprintf(out, "%-11s | %9s %9s %9s %9s %9s | %9s %7s | %9s %7s | %9s | %7s %7s %8s\n",
                 "mesh", "full", "resize", "partial", "open", "dialog", "plain", "ratio", "direct",
                 "ratio", "pixels", "kept MB", "peak MB", "index MB");
    for (const std::string& mesh : figures.meshes()) {
        const auto get = [&](std::string_view name) { return figures.get(name, mesh); };
        const auto full = get(figure::repaint_full_ms);
        if (!full) {
            continue;
        }
        const auto plain = get(figure::repaint_plain_ms);
        const auto direct = get(figure::repaint_direct_ms);
        std::string line =
            cell(mesh, -11) + " | " + cell(full, 9, 1) + " " + cell(get(figure::resize_ms), 9, 1) +
            " " + cell(get(figure::repaint_partial_ms), 9, 2) + " " +
            cell(get(figure::open_ms), 9, 1) + " " + cell(get(figure::dialog_open_ms), 9, 1);
        line += " | " + cell(plain, 9, 1) + " " + cell(quotient(plain, full), 6, 1) + "x";
        line += " | " + cell(direct, 9, 1) + " " + cell(quotient(direct, full), 6, 1) + "x";
        line += " | " + cell(get(figure::pixels_differing), 9, 0);
        line += " | " + cell(scaled(get(figure::repaint_kept_bytes), 1.0 / bytes_per_mb), 7, 1) +
                " " + cell(scaled(get(figure::repaint_peak_bytes), 1.0 / bytes_per_mb), 7, 1) +
                " " + cell(scaled(get(figure::index_bytes), 1.0 / bytes_per_mb), 8, 1);
        std::fprintf(out, "%s\n", line.c_str());
    }
    std::fputs("ms, medians: full: the picture of the fit drawn afresh (Home from a step in);"
               " resize: the same as the border is dragged by a pixel; partial: a repaint of"
               " 200 x 150; open: load, then the first picture; dialog: the same from the Open"
               " dialog's OK; plain: every LineTo and TextOutA on the window's DC; direct: the"
               " painter on the window's DC; ratio: that / full; pixels: how many differ from the"
               " plain drawing; MB besides the mesh that a picture drawn afresh keeps, and needs"
               " at most; MB of the index of the mesh the window keeps\n",
               out);
}

void print_view_table(std::FILE* out, const Figures& figures) {
    std::fprintf(out, "%-11s | %9s %9s %7s | %9s %9s %7s | %9s\n", "mesh", "zoom 8", "plain",
                 "ratio", "zoom 24", "plain", "ratio", "drag 10");
    for (const std::string& mesh : figures.meshes()) {
        const auto get = [&](std::string_view name, std::string_view step) {
            return figures.get(std::string(name) + std::string(step), mesh);
        };
        const auto zoom_8 = get(figure::zoom_ms, "_step8");
        if (!zoom_8) {
            continue;
        }
        const auto plain_8 = get(figure::zoom_plain_ms, "_step8");
        const auto zoom_24 = get(figure::zoom_ms, "_step24");
        const auto plain_24 = get(figure::zoom_plain_ms, "_step24");
        std::string line = cell(mesh, -11) + " | " + cell(zoom_8, 9, 2) + " " +
                           cell(plain_8, 9, 1) + " " + cell(quotient(plain_8, zoom_8), 6, 1) + "x";
        line += " | " + cell(zoom_24, 9, 2) + " " + cell(plain_24, 9, 1) + " " +
                cell(quotient(plain_24, zoom_24), 6, 1) + "x";
        line += " | " + cell(get(figure::pan_ms, ""), 9, 2);
        std::fprintf(out, "%s\n", line.c_str());
    }
    std::fputs(
        "ms, medians: a wheel step into zoom step 8 or 24 about the centre, until its picture"
        " is shown; plain: every LineTo and TextOutA of that view on the window's DC; ratio:"
        " plain / zoom; drag 10: a drag of 10 pixels at step 8, until the moved picture is"
        " shown\n",
        out);
}
