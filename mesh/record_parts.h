// The reading of one file of a set: its count, then its records, in one range or in parts
// that threads scan at once, ending with exactly the records one reading of the whole file
// gives.
//
// A part starts at a record whose label tells its index (part_start.h) and is scanned from
// there with a source and a scanner of its own. A scanner is wholly described by where its
// next token starts, so a part whose first token is where the part before it ended has scanned
// what one reading of the whole would have; any other part's records are scanned again, by
// the scanner of the part before, once every part is done.
#pragma once

#include "mesh_reader.h"
#include "part_start.h"
#include "token_run.h"
#include "token_scanner.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A file whose records are scanned; the first failure ends the whole read.
struct FileScan {
    TokenScanner& scanner;
    const std::string& path;
    std::optional<ReadError> error;

    bool failed() {
        if (!error && scanner.label_too_long()) {
            error = ReadError{ReadFailure::label_too_long, path};
        }
        return error.has_value();
    }
};

// Zero-filled records beyond the data are allowed up to this many, or up to as many as the
// data holds where that is more: enough for any file cut short, too few for a count meant to
// exhaust memory.
inline constexpr std::uint64_t allowed_tail = std::uint64_t{1} << 20;

// Scans the leading count. A count that cannot be read keeps the previous one. A record that
// holds data takes at least one byte, so a count beyond both the file's size and the allowed
// tail cannot be met, and is refused before anything is allocated for it.
inline std::int32_t scan_count(FileScan& file, std::int32_t previous, std::uint64_t file_size) {
    std::int32_t count = previous;
    file.scanner.scan_int(count);
    if (count < 0) {
        file.error = ReadError{ReadFailure::negative_count, file.path};
    } else if (static_cast<std::uint64_t>(count) > std::max(allowed_tail, file_size)) {
        file.error = ReadError{ReadFailure::count_too_large, file.path};
    }
    return count;
}

// How the scan of a range of records ended.
enum class RangeEnd : std::uint8_t {
    reached,   // every record of the range was scanned
    exhausted, // the data ended
    failed,    // a failure ended the whole read
};

struct RangeScan {
    RangeEnd end = RangeEnd::reached;
    std::size_t next = 0;            // the first record not scanned
    std::uint64_t next_position = 0; // reached: where the next token starts
    std::optional<ReadError> error;
};

// Scans records [first, stop) with `scan`, by the fast path where it holds and token by token
// otherwise; with `first_by_tokens`, the first of them token by token, which keeps its label.
// Each record is written whole or zero-filled before its scan. `read` sees each record once it
// has been scanned.
template <typename Record, typename Scan, typename Read>
[[gnu::always_inline]] inline RangeScan
scan_records(TokenScanner& scanner, const std::string& path, RecordArray<Record>& records,
             std::size_t first, std::size_t stop, bool first_by_tokens, Scan scan, Read read) {
    FileScan file{scanner, path, std::nullopt};
    TokenRun run(scanner);
    for (std::size_t i = first; i < stop; ++i) {
        Record& record = records[i];
        if ((first_by_tokens && i == first) || !scan(run, record) || !run.finish()) {
            record = Record{};
            (void)scan(scanner, record);
            if (file.failed()) {
                return {RangeEnd::failed, i + 1, 0, file.error};
            }
            run.restart();
        }
        read(scanner, record, i);
        if (scanner.exhausted()) {
            return {RangeEnd::exhausted, i + 1, 0, std::nullopt};
        }
    }
    return {RangeEnd::reached, stop, scanner.next_token_position(), std::nullopt};
}

template <typename Record, typename Scan, typename Read>
RangeScan scan_records_generic(TokenScanner& scanner, const std::string& path,
                               RecordArray<Record>& records, std::size_t first, std::size_t stop,
                               bool first_by_tokens, Scan scan, Read read) {
    return scan_records(scanner, path, records, first, stop, first_by_tokens, scan, read);
}

// The same scan for processors with BMI2 and AVX2: shifts by a count in a register, and a
// lowest bit cleared, in one instruction each: a load takes some 4% less time.
template <typename Record, typename Scan, typename Read>
[[gnu::target("bmi,bmi2,avx2")]] RangeScan
scan_records_bmi2(TokenScanner& scanner, const std::string& path, RecordArray<Record>& records,
                  std::size_t first, std::size_t stop, bool first_by_tokens, Scan scan, Read read) {
    return scan_records(scanner, path, records, first, stop, first_by_tokens, scan, read);
}

// The forms scan_records is compiled in: for any x86-64 processor, or for those with BMI2 and
// AVX2.
enum class ScanForm : std::uint8_t { generic, bmi2 };

inline bool runs_bmi2() {
    return __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") &&
           __builtin_cpu_supports("avx2");
}

// The form the scans take: the fastest the processor runs, unless a test has chosen one.
inline ScanForm& scan_form() {
    static ScanForm form = runs_bmi2() ? ScanForm::bmi2 : ScanForm::generic;
    return form;
}

template <typename Record, typename Scan, typename Read>
RangeScan scan_range(TokenScanner& scanner, const std::string& path, RecordArray<Record>& records,
                     std::size_t first, std::size_t stop, bool first_by_tokens, Scan scan,
                     Read read) {
    return scan_form() == ScanForm::bmi2
               ? scan_records_bmi2(scanner, path, records, first, stop, first_by_tokens, scan, read)
               : scan_records_generic(scanner, path, records, first, stop, first_by_tokens, scan,
                                      read);
}

// A range of a file's records with the source and the scanner it is scanned with.
struct FilePart {
    std::size_t first = 0;
    std::uint64_t position = 0; // of the first record's label; unused in part 0
    std::unique_ptr<ByteSource> source;
    std::unique_ptr<TokenScanner> scanner;
    RangeScan scan;
};

template <typename Record> class RecordFile {
public:
    // Scans the count and allocates the array: part 0 starts after the count, with the file's
    // own source and scanner. A failure here is kept in error().
    // Its scanners take their buffers from `buffers`, and give them back there.
    RecordFile(std::string path, std::unique_ptr<ByteSource> source, RecordArray<Record>& records,
               BlockShelf& buffers)
        : path_(std::move(path)), records_(records), buffers_(buffers) {
        if (!source) {
            error_ = ReadError{ReadFailure::cannot_open_file, path_};
            return;
        }
        auto scanner = std::make_unique<TokenScanner>(*source, 0, &buffers_);
        FileScan file{*scanner, path_, std::nullopt};
        const std::int32_t count =
            scan_count(file, static_cast<std::int32_t>(records.size()), source->size());
        if (file.failed()) {
            error_ = file.error;
        } else if (!records.assign_for_overwrite(static_cast<std::size_t>(count))) {
            error_ = ReadError{ReadFailure::cannot_allocate, path_};
        } else {
            parts_.push_back(FilePart{0, 0, std::move(source), std::move(scanner), {}});
        }
    }

    const std::optional<ReadError>& error() const { return error_; }
    const std::string& path() const { return path_; }
    std::size_t part_count() const { return parts_.size(); }
    FilePart& part(std::size_t k) { return parts_[k]; }

    // Where the file is opened again, splits it into about `wanted` parts of its size, the
    // last of them cut in half `halvings` times, its second half each time, so that the last
    // parts are short; each part starts where a record's label tells its index in a set
    // numbered from `base`, and where no such label is found, the part before takes the range.
    void split(const OpenByteSource& open, std::size_t wanted, std::int32_t base,
               int halvings = 0) {
        if (parts_.size() != 1 || wanted < 2) {
            return;
        }
        const std::uint64_t size = parts_[0].source->size();
        if (size == ByteSource::unknown_size) {
            return;
        }
        std::vector<std::uint64_t> starts;
        for (std::size_t k = 1; k < wanted; ++k) {
            starts.push_back(size / wanted * k);
        }
        for (int h = 0; h < halvings; ++h) {
            starts.push_back(starts.back() + (size - starts.back()) / 2);
        }
        std::array<char, part_window> window;
        for (const std::uint64_t from : starts) {
            auto source = open(path_);
            if (!source || !source->seek(from)) {
                return;
            }
            std::size_t filled = 0;
            for (std::size_t count = 1; count != 0 && filled < window.size(); filled += count) {
                count = source->read(window.data() + filled, window.size() - filled);
            }
            const auto start = guess_part_start({window.data(), filled}, from, base);
            // Parts in order, each of at least one record, none before record 1.
            if (!start || start->first <= parts_.back().first || start->first >= records_.size() ||
                !source->seek(start->position)) {
                continue;
            }
            // The part's scanner starts with its scan, when a buffer may have been given back.
            parts_.push_back(
                FilePart{start->first, start->position, std::move(source), nullptr, {}});
        }
    }

    // Scans the part's records, from where part 0 stands or from the part's label; part 0 that
    // starts at record 0 scans it token by token. A part that reaches its end is wholly
    // described by where its next token starts, so its scanner is let go at once, its buffer
    // handed to the next part to start and its source moved there to start another should
    // finish() need one: the buffers of many parts never add up.
    template <typename Scan, typename Read> void scan_part(std::size_t k, Scan scan, Read read) {
        FilePart& part = parts_[k];
        if (!part.scanner) {
            part.scanner = std::make_unique<TokenScanner>(*part.source, part.position, &buffers_);
        }
        part.scan = scan_range(*part.scanner, path_, records_, part.first, stop(k), part.first == 0,
                               scan, read);
        if (part.scan.end == RangeEnd::reached && part.source->seek(part.scan.next_position)) {
            part.scanner.reset();
        }
    }

    // Once every part is scanned: keeps each part whose first token is where the part before
    // it ended and scans any other again from there. Then ends the file as one reading would:
    // the records after a failure or past the data zero-filled, a tail of missing records
    // refused where too long. `rest` sees each record past the data after the first.
    template <typename Scan, typename Read, typename Rest>
    std::optional<ReadError> finish(Scan scan, Read read, Rest rest) {
        // Records some part may have written where one reading of the whole writes none.
        std::size_t written = 0;
        for (const FilePart& part : parts_) {
            written = std::max(written, part.scan.next);
        }
        std::size_t going_on = 0; // the part whose scanner the reading goes on with
        RangeScan end = parts_[0].scan;
        for (std::size_t k = 1; k < parts_.size() && end.end == RangeEnd::reached; ++k) {
            if (end.next_position == parts_[k].position) {
                going_on = k;
                end = parts_[k].scan;
            } else {
                end = scan_range(scanner_of(going_on), path_, records_, parts_[k].first, stop(k),
                                 false, scan, read);
            }
        }
        if (end.end == RangeEnd::reached) {
            return std::nullopt;
        }
        records_.zero_range(end.next, written);
        records_.zero_from(end.next);
        if (end.end == RangeEnd::failed) {
            return end.error;
        }
        // Past the end of the data every scan fails and the rest stay zero. A node at the
        // origin can still turn an extent of -0 into +0 (0 >= -0), so the first of them is read
        // like any other; the others, all alike, cannot change what it left.
        const std::uint64_t done = end.next;
        if (records_.size() - done > std::max(allowed_tail, done)) {
            return ReadError{ReadFailure::count_too_large, path_};
        }
        if (done < records_.size()) {
            TokenScanner& scanner = scanner_of(going_on);
            (void)scan(scanner, records_[done]);
            read(scanner, records_[done], done);
            for (std::size_t i = done + 1; i < records_.size(); ++i) {
                rest(records_[i]);
            }
        }
        return std::nullopt;
    }

private:
    // Part k's scanner, started again where its next token starts if it was let go.
    TokenScanner& scanner_of(std::size_t k) {
        FilePart& part = parts_[k];
        if (!part.scanner) {
            part.scanner =
                std::make_unique<TokenScanner>(*part.source, part.scan.next_position, &buffers_);
        }
        return *part.scanner;
    }

    std::size_t stop(std::size_t k) const {
        return k + 1 < parts_.size() ? parts_[k + 1].first : records_.size();
    }

    std::string path_;
    RecordArray<Record>& records_;
    BlockShelf& buffers_;
    std::vector<FilePart> parts_;
    std::optional<ReadError> error_;
};
