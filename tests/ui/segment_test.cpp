#include "template_builder.h"
#include "ui/byte_io.h"
#include "ui/segment_reader.h"
#include "ui/unit_properties.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

using namespace ui::test;

const UnitRegistry units = UnitRegistry::builtin();

// A value of the property's type that differs from every default.
Value distinctive(PropertyType type, int number)
{
    switch (type) {
    case PropertyType::Logical:
        return true;
    case PropertyType::Text:
        return Text("文字") + std::to_string(number);
    case PropertyType::Bytes:
        return Bytes { 1, 2, 0, std::uint8_t(number) };
    case PropertyType::Font:
        return Font { 19, 700, true, false, true, 134, "楷体_GB2312" };
    default:
        return std::int32_t(1000 + number);
    }
}

Segment roundTrip(const std::vector<WindowTemplate>& windows, std::size_t handlers = 10)
{
    Bytes bytes = segmentBytes(windows);
    return readSegment(bytes, units, handlers);
}

TEST(Segment, EveryUnitsPropertyBlockRoundTrips)
{
    std::vector<ComponentTemplate> items;
    ComponentId id = 0x16010100;
    for (UnitType code : units.codes()) {
        if (code == unit::window)
            continue;
        std::map<int, Value> values;
        for (const BlockField& field : units.find(code)->block)
            if (field.kind == BlockField::Kind::Property)
                values[field.value]
                    = distinctive(units.find(code)->property(field.value)->type, field.value);
        auto item = withValues(component(++id, code, { 1, -2, 3, 4 }), values);
        item.name = "组件";
        item.cursor = { 0x89, 0x7f, 0, 0 };
        item.tag = "tag";
        item.tabOrder = 3;
        item.block.present = !units.find(code)->block.empty();
        if (code == unit::comboBox)
            item.block.entries = { "3", "无限时", "" };
        if (code == unit::listView)
            item.block.columns = { { "列表", 150 }, { "", 0 } };
        items.push_back(item);
    }
    auto written = window(0x52010001, 0x06010000, { { 0, 1 }, { 1, -1 } }, items);
    written.components[0] = withValues(written.components[0],
        { { prop::window::caption, Text("主窗口") }, { prop::window::state, std::int32_t(1) } });

    Segment read = roundTrip({ written });
    ASSERT_EQ(read.windows.size(), 1u);
    const WindowTemplate& got = read.windows[0];
    EXPECT_EQ(got.id, 0x52010001u);
    EXPECT_EQ(got.secondId, written.secondId);
    ASSERT_EQ(got.components.size(), written.components.size());
    for (std::size_t i = 0; i < got.components.size(); ++i) {
        const auto& a = written.components[i];
        const auto& b = got.components[i];
        SCOPED_TRACE(units.find(a.unit)->name);
        EXPECT_EQ(b.id, a.id);
        EXPECT_EQ(b.unit, a.unit);
        EXPECT_EQ(b.name, a.name);
        EXPECT_EQ(b.geometry, a.geometry);
        EXPECT_EQ(b.cursor, a.cursor);
        EXPECT_EQ(b.tag, a.tag);
        EXPECT_EQ(b.tabOrder, a.tabOrder);
        EXPECT_EQ(b.events, a.events);
        EXPECT_EQ(b.block.present, a.block.present);
        for (const auto& [number, value] : a.block.values)
            EXPECT_EQ(b.block.values.at(number), value) << "property " << number;
        EXPECT_EQ(b.block.entries, a.block.entries);
        EXPECT_EQ(b.block.columns, a.block.columns);
    }
}

TEST(Segment, MenuItemsAndContainersAreKept)
{
    auto box = component(0x16010be5, unit::groupBox);
    box.children = { 0x16010bf8 };
    auto inner = component(0x16010bf8, unit::label, { 16, 28, 296, 25 }, {}, 0x16010be5);
    auto written = window(0x52010001, 0x06010000, {}, { box, inner },
        { menuItem(0x26010498, "托盘", 0, -1, menuFlag::hidden), menuItem(0x26010499, "显示", 1, 4),
            menuItem(0x2601049a, "隐藏", 1, 5, menuFlag::disabled | menuFlag::checked) });
    Segment read = roundTrip({ written });
    const WindowTemplate& got = read.windows[0];
    ASSERT_EQ(got.menuItems.size(), 3u);
    EXPECT_EQ(got.menuItems[2].caption, "隐藏");
    EXPECT_EQ(got.menuItems[2].handler, 5);
    EXPECT_EQ(got.menuItems[2].flags, menuFlag::disabled | menuFlag::checked);
    EXPECT_EQ(got.menuItems[0].level, 0u);
    EXPECT_EQ(got.component(0x16010bf8)->parent, 0x16010be5u);
    EXPECT_EQ(got.component(0x16010be5)->children, std::vector<ComponentId> { 0x16010bf8 });
    EXPECT_FALSE(got.component(0x16010bf8)->block.present);
}

// Every proper prefix of a valid segment is malformed; none may be read past its end.
TEST(Segment, EveryTruncationIsReportedNotReadPast)
{
    auto label = withValues(component(0x16010bf8, unit::label), { { 8, Text("等待播放...") } });
    Bytes bytes = segmentBytes({ window(
        0x52010001, 0x06010000, { { 0, 0 } }, { label }, { menuItem(0x26010498, "托盘", 0) }) });
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        std::span<const std::uint8_t> prefix(bytes.data(), length);
        EXPECT_THROW(readSegment(prefix, units, 1), TemplateFormatError) << length;
    }
    EXPECT_NO_THROW(readSegment(bytes, units, 1));
}

struct Malformed {
    const char* what;
    std::vector<WindowTemplate> windows;
    std::size_t handlers;
};

TEST(Segment, MalformedTemplatesAreRejected)
{
    std::vector<Malformed> cases {
        { "handler index past the table", { window(0x52010001, 0x06010000, { { 0, 3 } }, {}) }, 3 },
        { "menu handler past the table",
            { window(0x52010001, 0x06010000, {}, {}, { menuItem(0x26010001, "x", 0, 7) }) }, 3 },
        { "handler below -1", { window(0x52010001, 0x06010000, { { 0, -2 } }, {}) }, 3 },
        { "component in a missing container",
            { window(0x52010001, 0x06010000, {},
                { component(0x16010001, unit::label, {}, {}, 0x16019999) }) },
            3 },
        { "component in a label",
            { window(0x52010001, 0x06010000, {},
                { component(0x16010001, unit::label),
                    component(0x16010002, unit::label, {}, {}, 0x16010001) }) },
            3 },
        { "second window item",
            { window(0x52010001, 0x06010000, {}, { component(0x06010001, unit::window) }) }, 3 },
        { "same window twice",
            { window(0x52010001, 0x06010000, {}, {}), window(0x52010001, 0x06010001, {}, {}) }, 3 },
        { "same item twice",
            { window(0x52010001, 0x06010000, {},
                { component(0x16010001, unit::label), component(0x16010001, unit::label) }) },
            3 },
    };
    for (const auto& c : cases) {
        Bytes bytes = segmentBytes(c.windows);
        EXPECT_THROW(readSegment(bytes, units, c.handlers), TemplateFormatError) << c.what;
    }
}

TEST(Segment, UnknownUnitIsRejected)
{
    UnitRegistry more = units;
    more.add({ 0x00090009, "Other", true, true, {}, {} });
    Bytes bytes = writeSegment(
        { { window(0x52010001, 0x06010000, {}, { component(0x16010001, 0x00090009) }) } }, more);
    EXPECT_NO_THROW(readSegment(bytes, more, 0));
    EXPECT_THROW(readSegment(bytes, units, 0), TemplateFormatError);
}

TEST(Segment, NewerBlockVersionAndBadFontSizeAreRejected)
{
    auto label = withValues(component(0x16010001, unit::label), {});
    Bytes good = segmentBytes({ window(0x52010001, 0x06010000, {}, { label }) });
    ASSERT_NO_THROW(readSegment(good, units, 0));
    // The label's block is the last 88 bytes: version 2 first, the font length at 68.
    auto blockAt = good.size() - 88;
    Bytes newer = good;
    ASSERT_EQ(newer[blockAt], 2);
    newer[blockAt] = 3;
    EXPECT_THROW(readSegment(newer, units, 0), TemplateFormatError);
    Bytes badFont = good;
    ASSERT_EQ(badFont[blockAt + 68], 0);
    badFont[blockAt + 68] = 59;
    EXPECT_THROW(readSegment(badFont, units, 0), TemplateFormatError);
}

} // namespace
} // namespace ui
