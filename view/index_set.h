// A set of record indices, one bit each, walked in index order either way.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

class IndexSet {
public:
    // An empty set of indices below `size`.
    explicit IndexSet(std::size_t size) : words_((size + 63) / 64) {}

    void insert(std::size_t index) { words_[index / 64] |= std::uint64_t{1} << (index % 64); }
    bool contains(std::size_t index) const { return (words_[index / 64] >> (index % 64) & 1) != 0; }

    template <typename Visit> void for_each_ascending(Visit&& visit) const {
        for (std::size_t word = 0; word < words_.size(); ++word) {
            for (std::uint64_t bits = words_[word]; bits != 0; bits &= bits - 1) {
                visit(word * 64 + static_cast<std::size_t>(std::countr_zero(bits)));
            }
        }
    }
    template <typename Visit> void for_each_descending(Visit&& visit) const {
        for (std::size_t word = words_.size(); word-- > 0;) {
            for (std::uint64_t bits = words_[word]; bits != 0;) {
                const int top = 63 - std::countl_zero(bits);
                visit(word * 64 + static_cast<std::size_t>(top));
                bits &= ~(std::uint64_t{1} << top);
            }
        }
    }

private:
    std::vector<std::uint64_t> words_;
};
