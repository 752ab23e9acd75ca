#include "shell_test_support.h"

#include "app_main.h"
#include "main_window.h"
#include "mesh_model.h"
#include "mesh_reader.h"
#include "shell_state.h"
#include "status_bar.h"

#include <algorithm>
#include <array>
#include <commctrl.h>
#include <fstream>

namespace {

constexpr std::string_view test_data_dir = VELMORA_SHELL_TEST_DATA;
constexpr std::string_view examples_dir = VELMORA_EXAMPLES;

std::string windows_path(std::string_view directory, std::string_view file_name) {
    std::string path(directory);
    path += '/';
    path += file_name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

ModalScript* active_script = nullptr;

// Ten seconds: long enough for Wine to open its file dialog; a test that gets here has failed.
constexpr int tick_limit = 100;
constexpr UINT tick_milliseconds = 100;

BOOL CALLBACK end_dialog(HWND window, LPARAM ended) {
    std::array<char, 16> class_name{};
    GetClassNameA(window, class_name.data(), static_cast<int>(class_name.size()));
    if (std::string_view(class_name.data()) == "#32770" && IsWindowVisible(window)) {
        EndDialog(window, 0);
        *reinterpret_cast<bool*>(ended) = true;
    }
    return TRUE;
}

struct DialogSearch {
    std::string_view title;
    HWND found = nullptr;
};

BOOL CALLBACK match_dialog(HWND window, LPARAM search_address) {
    auto& search = *reinterpret_cast<DialogSearch*>(search_address);
    std::array<char, 16> class_name{};
    GetClassNameA(window, class_name.data(), static_cast<int>(class_name.size()));
    if (std::string_view(class_name.data()) == "#32770" && IsWindowVisible(window) &&
        window_text(window) == search.title) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

std::string test_data_path(std::string_view file_name) {
    return windows_path(test_data_dir, file_name);
}

std::string example_path(std::string_view file_name) {
    return windows_path(examples_dir, file_name);
}

void load_test_rectangle() {
    std::array<char, max_path_length> path{};
    const std::string node_path = test_data_path("triangles.n");
    std::copy(node_path.begin(), node_path.end(), path.begin());
    load_mesh_file_set(path.data());
    if (main_window != nullptr) {
        InvalidateRect(main_window, nullptr, TRUE);
    }
}

void show_mesh(MeshModel mesh) {
    mesh.load_count = current_mesh().load_count + 1;
    current_mesh() = std::move(mesh);
    InvalidateRect(main_window, nullptr, TRUE);
    UpdateWindow(main_window);
}

void turn_wheel(int delta, POINT at) {
    ClientToScreen(main_window, &at);
    SendMessageA(main_window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)),
                 MAKELPARAM(at.x, at.y));
}

void drag(POINT from, const std::vector<POINT>& to) {
    SendMessageA(main_window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    for (const POINT& point : to) {
        SendMessageA(main_window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    }
    const POINT last = to.empty() ? from : to.back();
    SendMessageA(main_window, WM_LBUTTONUP, 0, MAKELPARAM(last.x, last.y));
}

void press_key(WPARAM key) {
    SendMessageA(main_window, WM_KEYDOWN, key, 0);
}

void pump_messages() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

void end_shell() {
    if (main_window != nullptr && IsWindow(main_window)) {
        DestroyWindow(main_window);
    }
    pump_messages();
    UnregisterClassA(main_window_class_name, GetModuleHandleA(nullptr));
    instance = nullptr;
    main_window = nullptr;
    accelerators = nullptr;
    status_bar = nullptr;
    status_text.fill('\0');
    current_mesh() = MeshModel{};
    std::array<BYTE, 256> keys{};
    SetKeyboardState(keys.data());
}

void ShellTest::SetUp() {
    ASSERT_TRUE(start_main_window(GetModuleHandleA(nullptr)));
    pump_messages();
}

void ShellTest::TearDown() {
    end_shell();
}

void ShellTest::set_client_size(int width, int height) {
    RECT outer{};
    RECT client{};
    GetWindowRect(main_window, &outer);
    GetClientRect(main_window, &client);
    const int frame_width = (outer.right - outer.left) - client.right;
    const int frame_height = (outer.bottom - outer.top) - client.bottom;
    SetWindowPos(main_window, nullptr, 0, 0, width + frame_width, height + frame_height,
                 SWP_NOMOVE | SWP_NOZORDER);
    pump_messages();
}

std::string status_bar_text() {
    const auto length = LOWORD(SendMessageA(status_bar, SB_GETTEXTLENGTHA, 0, 0));
    std::string text(length + 1u, '\0');
    SendMessageA(status_bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

void expect_status_bar_laid_out() {
    RECT client{};
    GetClientRect(main_window, &client);
    RECT bar{};
    GetWindowRect(status_bar, &bar);
    MapWindowPoints(nullptr, main_window, reinterpret_cast<POINT*>(&bar), 2);
    EXPECT_EQ(bar.bottom, client.bottom) << "the bar sits on the bottom edge";
    EXPECT_EQ(bar.right - bar.left, client.right);
    RECT bar_client{};
    GetClientRect(status_bar, &bar_client);
    std::array<int, 4> edges{};
    EXPECT_EQ(
        SendMessageA(status_bar, SB_GETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data())),
        1);
    EXPECT_EQ(edges[0], bar_client.right);
    EXPECT_EQ(status_bar_text(), "Ready");
}

Picture::Picture(int width, int height) : dib_(DibPicture::create(nullptr, width, height).value()) {
    dib_.fill(RGB(255, 255, 255));
}

std::uint32_t Picture::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width() || y >= height()) {
        return rgb_white;
    }
    GdiFlush();
    return pixels().at(x, y) & 0xFFFFFF;
}

bool Picture::same_pixels(const Picture& other) const {
    if (width() != other.width() || height() != other.height()) {
        return false;
    }
    for (int y = 0; y < height(); ++y) {
        for (int x = 0; x < width(); ++x) {
            if (pixel(x, y) != other.pixel(x, y)) {
                return false;
            }
        }
    }
    return true;
}

bool Picture::has_near(std::uint32_t rgb, int x, int y, int radius) const {
    const RECT area{x - radius, y - radius, x + radius + 1, y + radius + 1};
    return count(rgb, area) > 0;
}

int Picture::count(std::uint32_t rgb, const RECT& area) const {
    int found = 0;
    for (int y = std::max(0, static_cast<int>(area.top)); y < std::min(height(), int{area.bottom});
         ++y) {
        for (int x = std::max(0, static_cast<int>(area.left));
             x < std::min(width(), int{area.right}); ++x) {
            found += pixel(x, y) == rgb ? 1 : 0;
        }
    }
    return found;
}

bool Picture::save_bmp(const std::string& path) const {
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width();
    info.biHeight = -height();
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    const auto image_size = static_cast<DWORD>(width()) * static_cast<DWORD>(height()) * 4;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + image_size;
    GdiFlush();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info), sizeof(info));
    out.write(reinterpret_cast<const char*>(pixels().pixels), image_size);
    return static_cast<bool>(out);
}

std::unique_ptr<Picture> capture_client_area(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    auto picture = std::make_unique<Picture>(client.right, client.bottom);
    const WindowDc window_dc(window);
    BitBlt(picture->dc(), 0, 0, client.right, client.bottom, window_dc.get(), 0, 0, SRCCOPY);
    return picture;
}

ModalScript::ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {
    active_script = this;
    timer_ = SetTimer(nullptr, 0, tick_milliseconds, &ModalScript::tick);
}

ModalScript::~ModalScript() {
    KillTimer(nullptr, timer_);
    active_script = nullptr;
}

void CALLBACK ModalScript::tick(HWND, UINT, UINT_PTR, DWORD) {
    if (active_script != nullptr) {
        active_script->run_next();
    }
}

void ModalScript::run_next() {
    if (next_ < steps_.size() && steps_[next_]()) {
        ++next_;
    }
    if (++ticks_ < tick_limit || rescued_) {
        return;
    }
    rescued_ = true;
    bool ended = false;
    EnumThreadWindows(GetCurrentThreadId(), end_dialog, reinterpret_cast<LPARAM>(&ended));
    if (!ended) {
        PostQuitMessage(1);
    }
}

HWND find_dialog(std::string_view title) {
    DialogSearch search{title};
    EnumThreadWindows(GetCurrentThreadId(), match_dialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string window_text(HWND window) {
    std::array<char, 512> text{};
    GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    return text.data();
}

std::string manifest_of(HMODULE module) {
    const HRSRC found = FindResourceA(module, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    if (found == nullptr) {
        return {};
    }
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return std::string(bytes, SizeofResource(module, found));
}

std::string velmora_exe_manifest() {
    const HMODULE exe = LoadLibraryExA(VELMORA_EXE, nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (exe == nullptr) {
        return {};
    }
    std::string manifest = manifest_of(exe);
    FreeLibrary(exe);
    return manifest;
}

std::string element_text(const std::string& xml, const std::string& name) {
    for (auto start = xml.find('<' + name); start != std::string::npos;
         start = xml.find('<' + name, start + 1)) {
        const char after = xml[start + name.size() + 1];
        if (after != ' ' && after != '>') {
            continue; // a longer name: <dpiAwareness when looking for <dpiAware
        }
        const auto text = xml.find('>', start) + 1;
        return xml.substr(text, xml.find("</" + name, text) - text);
    }
    return {};
}
