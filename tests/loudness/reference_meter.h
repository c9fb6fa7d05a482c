#pragma once
// Test material made by ffmpeg's signal sources and encoded to MP3, and ffmpeg's own R128
// meter as the independent reference the measurements are held against.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <regex>
#include <string>

namespace loudness::test {

inline bool haveFfmpeg()
{
    return std::system("ffmpeg -version >/dev/null 2>&1") == 0;
}

inline std::string quoted(const std::string& text)
{
    return "'" + text + "'";
}

// Encodes `seconds` of the lavfi source `source` (e.g. "sine=frequency=1000") to an MP3
// at `path`, with `channels` channels at 44.1 kHz; false when ffmpeg fails.
[[nodiscard]] inline bool makeMp3(const std::string& path, const std::string& source,
    double seconds, int channels = 2, const std::string& filters = "")
{
    std::string command = "ffmpeg -nostdin -v error -y -f lavfi -t " + std::to_string(seconds)
        + " -i " + quoted(source) + (filters.empty() ? "" : " -af " + quoted(filters)) + " -ac "
        + std::to_string(channels) + " -ar 44100 -c:a libmp3lame -b:a 192k " + quoted(path);
    return std::system(command.c_str()) == 0;
}

struct ReferenceFigures {
    double integratedLufs;
    double rangeLu;
    double truePeakDbtp;
};

inline std::optional<double> summaryValue(const std::string& summary, const std::string& label)
{
    std::smatch match;
    if (!std::regex_search(summary, match, std::regex(label + R"(:\s+(-?[0-9.]+|-inf))")))
        return std::nullopt;
    return match[1] == "-inf" ? -HUGE_VAL : std::stod(match[1]);
}

// ffmpeg's figures for `path` from the summary its meter prints at the end.
inline std::optional<ReferenceFigures> referenceFigures(const std::string& path)
{
    std::string command
        = "ffmpeg -nostdin -nostats -i " + quoted(path) + " -af ebur128=peak=true -f null - 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string output;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    if (pclose(pipe) != 0)
        return std::nullopt;
    auto summary = output.substr(std::min(output.size(), output.rfind("Summary:")));
    auto integrated = summaryValue(summary, "I");
    auto range = summaryValue(summary, "LRA");
    auto peak = summaryValue(summary, "Peak");
    if (!integrated || !range || !peak)
        return std::nullopt;
    return ReferenceFigures { *integrated, *range, *peak };
}

} // namespace loudness::test
