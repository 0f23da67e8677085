#include "platform/rtl/Resources.h"

#include <cstddef>

namespace qor::detail {
struct EmbeddedResource { const char* name; const unsigned char* data; std::size_t size; };
extern const EmbeddedResource kEmbeddedResources[];
extern const std::size_t kEmbeddedResourceCount;
} // namespace qor::detail

namespace qor {

std::optional<std::span<const Byte>> FindResource(const String& Name)
{
    for (std::size_t i = 0; i < detail::kEmbeddedResourceCount; ++i) {
        const auto& r = detail::kEmbeddedResources[i];
        if (Name == r.name)
            return std::span<const Byte>(r.data, r.size);
    }
    return std::nullopt;
}

std::vector<String> ResourceNames()
{
    std::vector<String> names;
    for (std::size_t i = 0; i < detail::kEmbeddedResourceCount; ++i)
        names.emplace_back(detail::kEmbeddedResources[i].name);
    return names;
}

} // namespace qor
