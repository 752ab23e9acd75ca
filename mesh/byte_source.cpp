#include "byte_source.h"

#include "byte_classes.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <sys/stat.h>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

#ifdef _WIN32
// The Windows C library reads a file opened with "r" in text mode: its first Ctrl+Z ends the
// data, and CR LF reads as LF. glibc has neither rule.
constexpr bool ctrl_z_ends_data = true;
#else
constexpr bool ctrl_z_ends_data = false;
#endif
constexpr char ctrl_z = '\x1A';

// Reads the file in binary mode, which is faster than the C library's text mode, and applies
// the text mode's rules itself. Only Ctrl+Z needs it: a CR is whitespace to every
// conversion, so a CR dropped before an LF reads the same as one kept.
class FileSource final : public ByteSource {
public:
    FileSource(std::FILE* file, std::uint64_t size) : file_(file), size_(size) {}
    std::size_t read(char* buffer, std::size_t capacity) override {
        if (ended_) {
            return 0;
        }
        std::size_t count = std::fread(buffer, 1, capacity, file_.get());
        if constexpr (ctrl_z_ends_data) {
            if (const char* mark = find_byte(buffer, count, ctrl_z)) {
                count = static_cast<std::size_t>(mark - buffer);
                ended_ = true;
            }
        }
        return count;
    }
    // The file's size, which the text mode's data never exceeds.
    std::uint64_t size() const override { return size_; }
    // In binary mode an offset is a count of bytes, as it is for the data read in text mode
    // before its Ctrl+Z, the only offsets the reader moves to.
    bool seek(std::uint64_t offset) override {
        if (offset > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return false;
        }
#ifdef _WIN32
        const bool moved = _fseeki64(file_.get(), static_cast<std::int64_t>(offset), SEEK_SET) == 0;
#else
        const bool moved = fseeko(file_.get(), static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
        ended_ = !moved;
        return moved;
    }

private:
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::uint64_t size_;
    bool ended_ = false;
};

// The size of the open file where it is a regular one. Asked of the file, not of its name:
// on Windows fopen reads a name in the program's code page and std::filesystem by a
// conversion of its own, and outside ASCII the two differ.
std::uint64_t file_size(std::FILE* file) {
#ifdef _WIN32
    struct _stat64 status {};
    const bool regular =
        _fstat64(_fileno(file), &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG;
#else
    struct stat status {};
    const bool regular = fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
#endif
    return regular ? static_cast<std::uint64_t>(status.st_size) : ByteSource::unknown_size;
}

} // namespace

std::unique_ptr<ByteSource> open_file(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return nullptr;
    }
    return std::make_unique<FileSource>(file, file_size(file));
}

std::size_t MemorySource::read(char* buffer, std::size_t capacity) {
    const std::size_t count = std::min(capacity, data_.size());
    if (count != 0) {
        std::memcpy(buffer, data_.data(), count);
    }
    data_.remove_prefix(count);
    return count;
}

bool MemorySource::seek(std::uint64_t offset) {
    if (offset > whole_.size()) {
        return false;
    }
    data_ = whole_.substr(static_cast<std::size_t>(offset));
    return true;
}
