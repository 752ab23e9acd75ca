#include "byte_source.h"

#include <algorithm>
#include <cstring>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

class FileSource final : public ByteSource {
public:
    explicit FileSource(std::FILE* file) : file_(file) {}
    std::size_t read(char* buffer, std::size_t capacity) override {
        return std::fread(buffer, 1, capacity, file_.get());
    }

private:
    std::unique_ptr<std::FILE, FileCloser> file_;
};

} // namespace

std::unique_ptr<ByteSource> open_file(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return nullptr;
    }
    return std::make_unique<FileSource>(file);
}

std::size_t MemorySource::read(char* buffer, std::size_t capacity) {
    const std::size_t count = std::min(capacity, data_.size());
    if (count != 0) {
        std::memcpy(buffer, data_.data(), count);
    }
    data_.remove_prefix(count);
    return count;
}
