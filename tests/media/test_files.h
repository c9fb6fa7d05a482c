#pragma once
// The committed test tracks (tests/data/media, made by make-test-files.sh).

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace media::test {

inline std::string track(const std::string& name)
{
    return MEDIA_TEST_DATA "/" + name;
}

inline std::vector<std::uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), {} };
}

// Writes `bytes` to `name` in the test's temporary folder and returns its path.
inline std::string scratchFile(const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

} // namespace media::test
