// The saturated sum of two values of one channel by a single lookup: 2 * max + 1 entries, entry i being
// the smaller of i and max, where max is the channel's largest value (2^bits - 1).
#pragma once

#include <algorithm>
#include <memory>

namespace Tolm {

class SaturationTable
{
public:
    explicit SaturationTable(int bits) : max((1 << bits) - 1), entries(new int[std::size_t(2 * max + 1)])
    {
        for (int i = 0; i <= 2 * max; ++i) {
            entries[std::size_t(i)] = std::min(i, max);
        }
    }

    int operator[](int sum) const { return entries[std::size_t(sum)]; }
    const int* Data() const { return entries.get(); }
    int Size() const { return 2 * max + 1; }

private:
    int max;
    std::unique_ptr<int[]> entries;
};

} // namespace Tolm
