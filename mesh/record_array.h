// An array of plain records in zero-filled memory from calloc.
//
// calloc is the point: the system hands out zeroed pages lazily, so the zero-filled tail of a
// file that claims more records than it holds costs address space, not work or memory, until
// something writes to it; and a failed allocation is a null result the reader can report,
// not an abort (as it would be under AddressSanitizer for operator new).
//
// A mesh opened over one of about its size reuses the old block: writing to pages already in
// place costs a small part of what faulting in fresh ones does, and a large block comes
// fresh from the system at every allocation (both C libraries map it anew and unmap it when
// it is freed). The reader, which writes every record, takes the block as it is and zeroes
// only the records it leaves.
//
// Records are written field by field or as whole value-initialised records, so the bytes
// between fields stay the zeros of calloc and records compare byte for byte.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>
#include <optional>
#include <type_traits>
#include <utility>

template <typename Record> class RecordArray {
    // calloc's zero bytes are zero-valued records, and copies are byte copies.
    static_assert(std::is_trivially_copyable_v<Record> && std::is_trivially_destructible_v<Record>);

public:
    RecordArray() = default;
    RecordArray(std::initializer_list<Record> records)
        : RecordArray(copy_of(records.begin(), records.size())) {}
    RecordArray(const RecordArray& other) : RecordArray(copy_of(other.data(), other.size())) {}
    RecordArray(RecordArray&& other) noexcept { *this = std::move(other); }
    RecordArray& operator=(const RecordArray& other) { return *this = RecordArray(other); }
    // The moved-from array is left empty, as a new one.
    RecordArray& operator=(RecordArray&& other) noexcept {
        records_ = std::move(other.records_);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
        reused_ = std::exchange(other.reused_, false);
        return *this;
    }

    // `count` zero-filled records, or nothing when the memory cannot be had.
    static std::optional<RecordArray> zero_filled(std::size_t count) {
        RecordArray array;
        if (count != 0) {
            array.records_.reset(static_cast<Record*>(std::calloc(count, sizeof(Record))));
            if (!array.records_) {
                return std::nullopt;
            }
        }
        array.size_ = count;
        array.capacity_ = count;
        return array;
    }

    // Replaces the records with `count` zero-filled ones; false, and empty, when the memory
    // cannot be had.
    bool assign_zero_filled(std::size_t count) {
        if (!assign_for_overwrite(count)) {
            return false;
        }
        zero_from(0);
        return true;
    }

    // Replaces the records with `count` ones that the caller is to write, or zero_from(): in
    // the old block, holding the old records' bytes, where they fill from half of it to all
    // of it; otherwise zero-filled, in a new block allocated once the old one is released, so
    // that two blocks never live at once. False, and empty, when the memory cannot be had.
    bool assign_for_overwrite(std::size_t count) {
        if (count != 0 && count <= capacity_ && count >= capacity_ / 2) {
            size_ = count;
            reused_ = true;
            return true;
        }
        *this = RecordArray();
        auto fresh = zero_filled(count);
        if (!fresh) {
            return false;
        }
        *this = std::move(*fresh);
        return true;
    }

    // Zero-fills the records from `first` on; in a new block, untouched since calloc, they
    // already are.
    void zero_from(std::size_t first) {
        if (reused_ && first < size_) {
            std::memset(static_cast<void*>(records_.get() + first), 0,
                        (size_ - first) * sizeof(Record));
        }
    }

    // Zero-fills the records from `first` to before `last`, in any block: records written
    // since the block was had.
    void zero_range(std::size_t first, std::size_t last) {
        if (first < last) {
            std::memset(static_cast<void*>(records_.get() + first), 0,
                        (last - first) * sizeof(Record));
        }
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    Record* data() { return records_.get(); }
    const Record* data() const { return records_.get(); }
    Record& operator[](std::size_t i) { return records_.get()[i]; }
    const Record& operator[](std::size_t i) const { return records_.get()[i]; }
    Record* begin() { return data(); }
    Record* end() { return data() + size_; }
    const Record* begin() const { return data(); }
    const Record* end() const { return data() + size_; }

private:
    struct Free {
        void operator()(Record* records) const { std::free(records); }
    };

    static RecordArray copy_of(const Record* records, std::size_t count) {
        auto array = zero_filled(count);
        if (!array) {
            throw std::bad_alloc();
        }
        if (count != 0) {
            std::memcpy(array->data(), records, count * sizeof(Record));
        }
        return std::move(*array);
    }

    std::unique_ptr<Record, Free> records_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0; // records the block holds
    bool reused_ = false;      // the block held records before the present ones
};
