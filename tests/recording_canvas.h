// A canvas that records the painter's calls in order.
#pragma once

#include "canvas.h"

#include <cstdint>
#include <string>
#include <vector>

struct CanvasCall {
    enum class Kind { set_text_align, set_text_color, move_to, line_to, text_out } kind;
    DevicePoint point{};
    std::uint32_t value = 0;
    std::string text;
};

class RecordingCanvas : public Canvas {
public:
    explicit RecordingCanvas(std::int32_t height = 16) : height_(height) {}

    std::int32_t text_height() override { return height_; }
    void set_text_align(std::uint32_t align) override {
        calls.push_back({CanvasCall::Kind::set_text_align, {}, align, {}});
    }
    void set_text_color(std::uint32_t colorref) override {
        calls.push_back({CanvasCall::Kind::set_text_color, {}, colorref, {}});
    }
    void move_to(DevicePoint point) override {
        calls.push_back({CanvasCall::Kind::move_to, point, 0, {}});
    }
    void line_to(DevicePoint point) override {
        calls.push_back({CanvasCall::Kind::line_to, point, 0, {}});
    }
    void text_out(DevicePoint point, std::string_view text) override {
        calls.push_back({CanvasCall::Kind::text_out, point, 0, std::string(text)});
    }
    DeviceRect clip_box() override { return clip; }
    std::optional<std::int32_t> text_width(std::string_view text) override {
        return static_cast<std::int32_t>(text.size()) * char_width;
    }

    std::vector<CanvasCall> of_kind(CanvasCall::Kind kind) const {
        std::vector<CanvasCall> found;
        for (const CanvasCall& call : calls) {
            if (call.kind == kind) {
                found.push_back(call);
            }
        }
        return found;
    }

    std::vector<CanvasCall> calls;
    DeviceRect clip = Canvas::clip_box(); // unbounded unless a test narrows it
    std::int32_t char_width = 8;

private:
    std::int32_t height_;
};
