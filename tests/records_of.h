// Records put into a model's array as a load puts them, for tests that make a mesh by hand.
#pragma once

#include "record_array.h"

#include <algorithm>
#include <vector>

template <typename Record> RecordArray<Record> records_of(const std::vector<Record>& records) {
    RecordArray<Record> array = RecordArray<Record>::zero_filled(records.size()).value();
    std::copy(records.begin(), records.end(), array.begin());
    return array;
}
