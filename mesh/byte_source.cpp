#include "byte_source.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

class FileSource final : public ByteSource {
public:
    FileSource(std::FILE* file, std::uint64_t size) : file_(file), size_(size) {}
    std::size_t read(char* buffer, std::size_t capacity) override {
        return std::fread(buffer, 1, capacity, file_.get());
    }
    std::uint64_t size() const override { return size_; }

private:
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::uint64_t size_;
};

} // namespace

std::unique_ptr<ByteSource> open_file(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return nullptr;
    }
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return std::make_unique<FileSource>(file, error ? ByteSource::unknown_size : size);
}

std::size_t MemorySource::read(char* buffer, std::size_t capacity) {
    const std::size_t count = std::min(capacity, data_.size());
    if (count != 0) {
        std::memcpy(buffer, data_.data(), count);
    }
    data_.remove_prefix(count);
    return count;
}
