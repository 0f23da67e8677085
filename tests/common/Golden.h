#pragma once
// Golden files: what a test produces compared with a file kept in the tree. Running the tests
// with QOR_UPDATE_GOLDEN=1 rewrites the files from what they produce.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace qor::test {

inline void ExpectGoldenFile(const std::string& Path, const std::string& Text)
{
    if (const char* U = std::getenv("QOR_UPDATE_GOLDEN"); U && std::string(U) == "1") {
        std::ofstream Out(Path, std::ios::binary);
        Out << Text;
    }
    std::ifstream In(Path, std::ios::binary);
    std::stringstream Golden;
    Golden << In.rdbuf();
    EXPECT_EQ(Text, Golden.str()) << "golden file " << Path;
}

} // namespace qor::test
