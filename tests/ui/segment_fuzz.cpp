// Fuzz harness for the template segment reader, built with GCC and run by CTest.
//   segment_fuzz DIR [ROUNDS]   every seed file in DIR, then ROUNDS seeded mutations of each
//   segment_fuzz FILE           one input (for an external fuzzer driving the harness)
//   segment_fuzz --write-seeds DIR   writes the seed corpus
// An input must either read or fail with TemplateFormatError; a segment that reads must write
// and read back to the same bytes. Anything else (a crash, another exception) fails.

#include "template_builder.h"
#include "ui/byte_io.h"
#include "ui/segment_reader.h"
#include "ui/unit_properties.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace {

using namespace ui;
using namespace ui::test;
namespace fs = std::filesystem;

const UnitRegistry units = UnitRegistry::builtin();
constexpr std::size_t handlerCount = 8;

bool check(const Bytes& input)
{
    Segment segment;
    try {
        segment = readSegment(input, units, handlerCount);
    } catch (const TemplateFormatError&) {
        return true;
    }
    Bytes again = writeSegment(segment, units);
    return writeSegment(readSegment(again, units, handlerCount), units) == again;
}

// Deterministic: the same seed gives the same mutations on every machine.
struct Random {
    std::uint64_t state;
    std::uint32_t next()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<std::uint32_t>(state);
    }
    std::size_t below(std::size_t n) { return n == 0 ? 0 : next() % n; }
};

Bytes mutate(Bytes data, Random& random)
{
    static const std::uint32_t interesting[]
        = { 0, 1, 2, 4, 8, 60, 0x7f, 0xff, 0xffff, 0x7fffffff, 0x80000000, 0xfffffffe, 0xffffffff };
    int steps = 1 + random.below(4);
    for (int step = 0; step < steps && !data.empty(); ++step) {
        std::size_t at = random.below(data.size());
        switch (random.below(5)) {
        case 0:
            data[at] ^= std::uint8_t(1u << random.below(8));
            break;
        case 1:
            data[at] = std::uint8_t(random.next());
            break;
        case 2: {
            std::uint32_t v = interesting[random.below(std::size(interesting))];
            for (std::size_t i = 0; i < 4 && at + i < data.size(); ++i)
                data[at + i] = std::uint8_t(v >> (8 * i));
            break;
        }
        case 3:
            data.resize(at);
            break;
        default: {
            std::size_t length = random.below(std::min<std::size_t>(64, data.size() - at));
            Bytes chunk(data.begin() + at, data.begin() + at + length);
            data.insert(data.begin() + random.below(data.size()), chunk.begin(), chunk.end());
        }
        }
    }
    return data;
}

Bytes readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::pair<std::string, Bytes>> seeds()
{
    namespace p = prop;
    auto label = withValues(
        component(0x16010bf8, unit::label, { 16, 28, 296, 25 }, { { 0, 1 } }, 0x16010be5),
        { { p::label::caption, Text("等待播放...") }, { p::label::effect, std::int32_t(3) },
            { p::label::font, Font { 16, 400, false, false, false, 134, "宋体" } } });
    auto box = withValues(component(0x16010be5, unit::groupBox, { 8, 16, 328, 544 }),
        { { p::groupBox::caption, Text("播放控制区：") } });
    box.children = { 0x16010bf8 };
    auto combo = component(0x16010b54, unit::comboBox, { 111, 231, 80, 20 });
    combo.block.present = true;
    combo.block.entries = { "3", "4", "无限时" };
    auto view = component(0x16011214, unit::listView, { 8, 21, 152, 384 }, { { 5, 2 }, { -3, 3 } });
    view.block.present = true;
    view.block.columns = { { "列表", 150 } };
    auto timer = withValues(component(0x16010397, unit::timer, {}, { { 0, 4 } }),
        { { p::timer::interval, std::int32_t(500) } });
    auto menus = std::vector { menuItem(0x26010498, "托盘", 0, -1, menuFlag::hidden),
        menuItem(0x26010499, "显示", 1, 5), menuItem(0x2601049a, "隐藏", 1, 6) };
    auto main = window(0x52010001, 0x06010000, { { 0, 0 }, { 1, 7 }, { 9, -1 } },
        { box, label, combo, view, timer, component(0x160100b3, unit::sysVolume) }, menus);
    auto dialog = window(0x52010402, 0x06010403, {},
        { withValues(component(0x16011138, unit::editBox), { { p::editBox::content, Text("名") } }),
            component(0x16010405, unit::button, { 64, 160, 112, 32 }, { { 0, 1 } }) });
    return { { "main-window.seg", segmentBytes({ main }) },
        { "two-windows.seg", segmentBytes({ main, dialog }) }, { "empty.seg", segmentBytes({}) } };
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--write-seeds") {
        for (const auto& [name, bytes] : seeds()) {
            std::ofstream out(fs::path(argv[2]) / name, std::ios::binary);
            out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        }
        return 0;
    }
    if (argc < 2) {
        std::cerr << "usage: segment_fuzz DIR [ROUNDS] | FILE | --write-seeds DIR\n";
        return 2;
    }
    fs::path input = argv[1];
    if (!fs::is_directory(input))
        return check(readFile(input)) ? 0 : 1;

    long rounds = argc > 2 ? std::stol(argv[2]) : 2000;
    std::vector<fs::path> files(fs::directory_iterator(input), {});
    std::sort(files.begin(), files.end());
    int failures = 0;
    for (const auto& file : files) {
        Bytes seed = readFile(file);
        if (!check(seed)) {
            std::cerr << file << ": seed fails\n";
            ++failures;
        }
        Random random { 0x9e3779b97f4a7c15ull ^ seed.size() };
        for (long round = 0; round < rounds; ++round) {
            Bytes mutated = mutate(seed, random);
            if (!check(mutated)) {
                std::cerr << file << ": mutation " << round << " does not round-trip\n";
                ++failures;
            }
        }
    }
    std::cout << files.size() << " seeds, " << rounds << " mutations each, " << failures
              << " failures\n";
    return failures == 0 && !files.empty() ? 0 : 1;
}
