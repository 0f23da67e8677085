#pragma once
// A copy of a list of listeners to walk while they may come and go: the few a data set or a
// data source has are copied without a heap allocation, as happens on every record.
// Private to platform/db.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace qor {

template <class T>
class TSnapshot {
public:
    explicit TSnapshot(const std::vector<T*>& List) : FCount(List.size())
    {
        if (FCount <= Small) {
            std::copy(List.begin(), List.end(), FLocal);
        } else {
            FHeap = List;
        }
    }
    T* const* begin() const { return FCount <= Small ? FLocal : FHeap.data(); }
    T* const* end() const { return begin() + FCount; }

private:
    static constexpr std::size_t Small = 16;
    std::size_t FCount;
    T* FLocal[Small];
    std::vector<T*> FHeap;
};

} // namespace qor
