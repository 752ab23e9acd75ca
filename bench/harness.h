// What every benchmark program here shares: the options of its command line, the meshes they
// name, and one way of timing: the steady clock, repeated samples, their median.
#pragma once

#include "bench_meshes.h"
#include "figures.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct BenchOptions {
    std::string meshes = "build/bench-meshes";
    std::string figures; // where the figures go, for the summary of make bench
    std::vector<std::string> sizes;
    int repetitions = 0; // 0: the program's own choice
};

// Reads --meshes DIR, --figures FILE, --sizes 10k,1M and --repetitions N into `options`, and
// hands any other "--name value" pair to `own`, which says whether it knew the name. An
// unknown or incomplete option is reported under `program`, and the result is false.
bool parse_bench_options(
    std::string_view program, std::span<char* const> arguments, BenchOptions& options,
    const std::function<bool(std::string_view name, const char* value)>& own = nullptr);

// The file sets the options name; none, with a message under `program`, when there are none.
std::vector<BenchMesh> meshes_to_measure(std::string_view program, const BenchOptions& options);

// Writes the figures where the options say, if anywhere; false, with a message, on failure.
bool write_figures(std::string_view program, const BenchOptions& options, const Figures& figures);

using Clock = std::chrono::steady_clock;

inline double milliseconds_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The median of `values` (not empty).
double median(std::vector<double> values);

// The timings of one measurement, taken until there are `repetitions` of them or, after the
// first, until together they have taken `budget_ms`. As in Google Benchmark, a short run is
// repeated into a sample of at least `sample_ms`, untimed trials finding how many times, so
// that neither the clock nor a cold start weighs; a run that long is a sample by itself.
class Samples {
public:
    explicit Samples(int repetitions, double budget_ms = std::numeric_limits<double>::infinity(),
                     double sample_ms = 500.0)
        : repetitions_(static_cast<std::size_t>(repetitions)), budget_ms_(budget_ms),
          sample_ms_(sample_ms) {}

    bool wanted() const {
        return ms_.size() < repetitions_ && (ms_.empty() || spent_ms_ < budget_ms_);
    }

    // Takes the next sample of `run`, which returns false on failure; false when it failed.
    template <typename Run> bool take(Run run) {
        for (;;) {
            const Clock::time_point start = Clock::now();
            for (int k = 0; k < runs_per_sample_; ++k) {
                if (!run()) {
                    return false;
                }
            }
            const double ms = milliseconds_since(start);
            spent_ms_ += ms;
            if (sized_ || ms >= sample_ms_) {
                sized_ = true;
                ms_.push_back(ms / runs_per_sample_);
                return true;
            }
            const double wanted_runs = runs_per_sample_ * sample_ms_ * 1.4 / std::max(ms, 1e-3);
            runs_per_sample_ = static_cast<int>(std::min(wanted_runs, runs_per_sample_ * 10.0)) + 1;
        }
    }

    // Adds a sample measured by the caller.
    void add(double ms) {
        ms_.push_back(ms);
        spent_ms_ += ms;
    }

    std::size_t count() const { return ms_.size(); }
    int runs_per_sample() const { return runs_per_sample_; }
    double median() const { return ::median(ms_); }

private:
    std::size_t repetitions_;
    double budget_ms_;
    double sample_ms_;
    int runs_per_sample_ = 1;
    bool sized_ = false;
    double spent_ms_ = 0.0;
    std::vector<double> ms_;
};

// The median of `repetitions` runs of `run`, each returning the milliseconds it measured,
// after one more run that warms the caches and is not counted.
template <typename Run> double warm_median(int repetitions, Run run) {
    run();
    Samples samples(repetitions);
    while (samples.wanted()) {
        samples.add(run());
    }
    return samples.median();
}
