#include "platform/rtl/Resources.h"

#include <algorithm>

namespace qor::detail {
extern const TEmbeddedResource* const kEmbeddedResources;
extern const std::size_t kEmbeddedResourceCount;
} // namespace qor::detail

namespace qor {

namespace {

struct TTable {
    const TEmbeddedResource* Entries;
    std::size_t Count;
};

std::vector<TTable>& Tables()
{
    static std::vector<TTable> tables{{detail::kEmbeddedResources, detail::kEmbeddedResourceCount}};
    return tables;
}

} // namespace

void RegisterResourceTable(const TEmbeddedResource* Table, std::size_t Count)
{
    Tables().push_back({Table, Count});
}

std::optional<std::span<const Byte>> FindResource(const String& Name)
{
    for (const TTable& t : Tables())
        for (std::size_t i = 0; i < t.Count; ++i)
            if (Name == t.Entries[i].Name)
                return std::span<const Byte>(t.Entries[i].Data, t.Entries[i].Size);
    return std::nullopt;
}

std::vector<String> ResourceNames()
{
    std::vector<String> names;
    for (const TTable& t : Tables())
        for (std::size_t i = 0; i < t.Count; ++i)
            names.emplace_back(t.Entries[i].Name);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

} // namespace qor
