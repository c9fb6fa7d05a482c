#pragma once
// The committed test tracks (tests/data/media, made by make-test-files.sh).

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
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

// Writes `bytes` to `name` in the test's temporary folder and returns its path. Tests run in
// parallel share that folder: the file is written aside and renamed into place, so another
// test playing the same name never sees it cut short.
inline std::string scratchFile(const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    std::string path = testing::TempDir() + name;
    std::string aside = path + "." + std::to_string(getpid());
    std::ofstream(aside, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    std::rename(aside.c_str(), path.c_str());
    return path;
}

// The audio frames of cbr_stereo_44k.mp3 (3.03 s), `copies` times over, in a scratch file:
// its first audio frame carries no reservoir bytes, so the copies join cleanly.
inline std::string repeatedTrack(int copies)
{
    auto bytes = readFile(track("cbr_stereo_44k.mp3"));
    const std::size_t tagFrame = 417;
    std::vector<std::uint8_t> audio;
    for (int i = 0; i < copies; ++i)
        audio.insert(audio.end(), bytes.begin() + tagFrame, bytes.end());
    return scratchFile("repeated" + std::to_string(copies) + ".mp3", audio);
}
constexpr double repeatedTrackMillis(int copies)
{
    return 116 * copies * 1152 * 1000.0 / 44100;
}

} // namespace media::test
