#pragma once
// Pictures a test leaves for a person to look at go under the build folder, in test-output/, never
// into the machine's temporary folder.

#include <filesystem>
#include <string>

namespace qor::test {

inline std::string TestOutputFile(const std::string& Name)
{
    const std::filesystem::path Dir = std::filesystem::path(QOR_BINARY_DIR) / "test-output";
    std::filesystem::create_directories(Dir);
    return (Dir / Name).string();
}

} // namespace qor::test
