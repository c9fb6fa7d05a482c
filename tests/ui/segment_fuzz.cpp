// Fuzz harness for the template segment reader (tests/support/fuzz_driver.h; `--write-seeds
// DIR` remakes the seed corpus). An input must either read or fail with TemplateFormatError;
// a segment that reads must write and read back to the same bytes. Anything else (a crash,
// another exception) fails.

#include "fuzz_driver.h"
#include "template_builder.h"
#include "ui/byte_io.h"
#include "ui/segment_reader.h"
#include "ui/unit_properties.h"

namespace {

using namespace ui;
using namespace ui::test;

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

fuzz::Harness fuzz::makeHarness()
{
    // Segment fields are dwords: edge-case integers land on dword boundaries.
    return { "ui_segment_fuzz", { .alignment = 4 }, [](const Bytes& input) { return check(input); },
        nullptr, seeds };
}
