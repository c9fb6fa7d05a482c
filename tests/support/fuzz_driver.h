#pragma once
// What the fuzz harnesses share. Each harness file defines makeHarness(): its check of one
// input, held in memory. The normal build runs it through the command line below
// (fuzz_main.cpp) with deterministic mutations (the same seed gives the same inputs on every
// machine, so a failure replays); the fuzz build hands it to libFuzzer or AFL++
// (libfuzzer_main.cpp).
//
//   NAME DIR [MUTATIONS [SEED]]   every file in DIR, then MUTATIONS mutations of random seeds
//   NAME FILE                     one input, e.g. a failure the harness saved
//   NAME --write-seeds DIR        writes the harness's own seeds, where it has them
//
// A failing input is saved as NAME-failure-<seed-N|mutation-N>.bin in the working directory.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fuzz {

using Bytes = std::vector<std::uint8_t>;

// xorshift64: small, and identical everywhere.
struct Random {
    std::uint64_t state;
    std::uint64_t next()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
    std::size_t below(std::size_t n) { return n == 0 ? 0 : std::size_t(next() % n); }
};

struct MutationOptions {
    // Interesting integers are written at multiples of this, where a format aligns fields.
    std::size_t alignment = 1;
    // Byte strings that mean something to the reader (sync words, brackets, line ends).
    std::span<const std::string_view> tokens = {};
};

// One to four edits: flip a bit, set a byte, write an edge-case integer (either byte order),
// cut the tail, insert a run of one byte, copy a chunk elsewhere, drop a chunk, insert a token.
inline Bytes mutate(Bytes data, Random& random, const MutationOptions& options = {})
{
    static constexpr std::uint32_t interesting[] = { 0, 1, 2, 4, 8, 12, 60, 0x7f, 0x80, 0xff, 500,
        511, 512, 0xffff, 0x10000, 0x10001, 0x7fffffff, 0x80000000, 0xfffffffe, 0xffffffff };
    const std::size_t edits = 1 + random.below(4);
    for (std::size_t edit = 0; edit < edits; ++edit) {
        if (data.empty()) {
            data.push_back(std::uint8_t(random.next()));
            continue;
        }
        const std::size_t at = random.below(data.size());
        switch (random.below(options.tokens.empty() ? 7 : 8)) {
        case 0:
            data[at] ^= std::uint8_t(1u << random.below(8));
            break;
        case 1:
            data[at] = std::uint8_t(random.next());
            break;
        case 2: {
            const std::uint32_t value = interesting[random.below(std::size(interesting))];
            const std::size_t start = at - at % std::max<std::size_t>(1, options.alignment);
            const bool bigEndian = random.below(2) == 1;
            for (std::size_t i = 0; i < 4 && start + i < data.size(); ++i)
                data[start + i] = std::uint8_t(value >> (bigEndian ? 24 - 8 * i : 8 * i));
            break;
        }
        case 3:
            data.resize(at);
            break;
        case 4:
            data.insert(data.begin() + std::ptrdiff_t(at), 1 + random.below(600),
                std::uint8_t(random.next()));
            break;
        case 5: {
            const std::size_t length = random.below(std::min<std::size_t>(512, data.size() - at));
            const Bytes chunk(
                data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + length));
            const std::size_t to = random.below(data.size() + 1);
            data.insert(data.begin() + std::ptrdiff_t(to), chunk.begin(), chunk.end());
            break;
        }
        case 6: {
            const std::size_t length = random.below(std::min<std::size_t>(512, data.size() - at));
            data.erase(
                data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + length));
            break;
        }
        default: {
            const std::string_view token = options.tokens[random.below(options.tokens.size())];
            data.insert(data.begin() + std::ptrdiff_t(at), token.begin(), token.end());
            break;
        }
        }
    }
    return data;
}

inline Bytes readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Runs the command line above; `check` returns false for an input the reader got wrong
// (a crash or a sanitizer report ends the run by itself). Returns the process exit code.
inline int runHarness(int argc, char** argv, const char* name, const MutationOptions& options,
    const std::function<bool(const Bytes&)>& check)
{
    namespace fs = std::filesystem;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR [MUTATIONS [SEED]] | FILE\n", name);
        return 2;
    }
    if (!fs::is_directory(argv[1]))
        return check(readFile(argv[1])) ? 0 : 1;

    std::vector<fs::path> files(fs::directory_iterator(argv[1]), {});
    std::sort(files.begin(), files.end());
    std::vector<Bytes> corpus;
    for (const fs::path& file : files)
        corpus.push_back(readFile(file));
    if (corpus.empty()) {
        std::fprintf(stderr, "%s: empty corpus\n", name);
        return 2;
    }
    const long mutations = argc > 2 ? std::atol(argv[2]) : 0;
    Random random { argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 0x5EED5EEDULL };
    long failures = 0;
    auto run = [&](const Bytes& input, const std::string& label, const std::string& origin) {
        if (check(input))
            return;
        ++failures;
        const std::string saved = std::string(name) + "-failure-" + label + ".bin";
        writeFile(saved, input);
        std::fprintf(stderr, "%s: %s fails, saved as %s\n", name, origin.c_str(), saved.c_str());
    };
    for (std::size_t i = 0; i < corpus.size(); ++i)
        run(corpus[i], "seed-" + std::to_string(i), "seed " + files[i].filename().string());
    for (long round = 0; round < mutations; ++round) {
        const std::size_t seed = random.below(corpus.size());
        run(mutate(corpus[seed], random, options), "mutation-" + std::to_string(round),
            "mutation " + std::to_string(round) + " of " + files[seed].filename().string());
    }
    std::printf(
        "%s: %zu seeds, %ld mutations, %ld failures\n", name, corpus.size(), mutations, failures);
    return failures == 0 ? 0 : 1;
}

// One harness: its name, how the driver mutates its inputs, the check of one input (false
// for an input the reader got wrong; a crash or a sanitizer report fails by itself), and
// optionally a summary printed after a run and the seeds it makes itself.
struct Harness {
    const char* name;
    MutationOptions options;
    std::function<bool(const Bytes&)> check;
    std::function<void()> summary = nullptr;
    std::function<std::vector<std::pair<std::string, Bytes>>()> seeds = nullptr;
};

// Defined by each harness file.
Harness makeHarness();

} // namespace fuzz
