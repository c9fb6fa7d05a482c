// Files laid out by the independent writer open, read back every type, and are checked
// and repaired on open as the layout demands.

#include "recdb/error_codes.h"
#include "recdb/registry.h"
#include "test_files.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace recdb::test {
namespace {

using runtime::Value;

class LayoutTest : public ::testing::Test {
protected:
    ThrowingReport report;
    Registry registry { report };
    TempDir dir;
};

TEST_F(LayoutTest, EveryTypeReadsBackFromAnIndependentlyWrittenFile)
{
    DatabaseImage image({ { "b", 1, 1 }, { "s", 2, 2 }, { "i", 3, 4 }, { "l", 4, 8 }, { "f", 5, 4 },
        { "d", 6, 8 }, { "ok", 7, 1 }, { "when", 8, 8 }, { "sub", 9, 4 }, { "名称", 10, 10 },
        { "set", 11, 4 }, { "memo", 12, 4 } });
    AuxImage aux;
    std::int32_t setChain = aux.addChain(std::string("\x01\x00\x02", 3));
    std::int32_t memoChain = aux.addChain(std::string(600, 'm') + std::string("\0tail", 5));
    auto r = image.addRecord(1);
    std::uint8_t byte = 200;
    std::int16_t shortValue = -1234;
    std::int32_t integer = -70000;
    std::int64_t longValue = 1LL << 40;
    float single = 1.5f;
    double doubleValue = -2.25, when = 3000000.0;
    std::uint8_t logical = 7;
    image.setValue(r, 0, &byte, 1);
    image.setValue(r, 1, &shortValue, 2);
    image.setValue(r, 2, &integer, 4);
    image.setValue(r, 3, &longValue, 8);
    image.setValue(r, 4, &single, 4);
    image.setValue(r, 5, &doubleValue, 8);
    image.setValue(r, 6, &logical, 1);
    image.setValue(r, 7, &when, 8);
    image.setValue(r, 9, "曲风", 4);
    image.setValue(r, 10, &setChain, 4);
    image.setValue(r, 11, &memoChain, 4);
    writeFile(dir.path("all.dat"), image.bytes());
    writeFile(dir.path("all.EDT"), aux.bytes());

    ASSERT_TRUE(registry.openDatabase(dir.path("all.dat"), "all")) << lastError();
    EXPECT_EQ(*registry.readField(Text("B")).as<std::uint8_t>(), 200);
    EXPECT_EQ(*registry.readField(Text("s")).as<std::int16_t>(), -1234);
    EXPECT_EQ(*registry.readField(Text("i")).as<std::int32_t>(), -70000);
    EXPECT_EQ(*registry.readField(Text("l")).as<std::int64_t>(), 1LL << 40);
    EXPECT_EQ(*registry.readField(Text("f")).as<float>(), 1.5f);
    EXPECT_EQ(*registry.readField(Text("d")).as<double>(), -2.25);
    EXPECT_EQ(*registry.readField(Text("OK")).as<bool>(), true);
    EXPECT_EQ(registry.readField(Text("when")).as<runtime::DateTime>()->days, 2958465.0);
    EXPECT_EQ(registry.readField(Text("sub")).type(), runtime::TypeCode::SubProgram);
    EXPECT_EQ(*registry.readField(Text("名称")).as<Text>(), "曲风");
    EXPECT_EQ(
        *registry.readField(Text("set")).as<runtime::ByteSet>(), (runtime::ByteSet { 1, 0, 2 }));
    EXPECT_EQ(*registry.readField(Text("memo")).as<Text>(), std::string(600, 'm'));
    EXPECT_EQ(*registry.readField(std::int32_t { 3 }).as<std::int32_t>(), -70000);
    EXPECT_EQ(*registry.readField(2.9).as<std::int16_t>(), -1234); // numbers convert
    EXPECT_EQ(lastError(), 0);
}

TEST_F(LayoutTest, TextFieldIsReadUpToItsZeroOrWhole)
{
    DatabaseImage image({ { "t", 10, 100 } });
    image.addRecord(1);
    image.setValue(image.addRecord(2), 0, std::string(100, 'x').data(), 100);
    image.setValue(0, 0, "abc", 3);
    writeFile(dir.path("t.dat"), image.bytes());
    ASSERT_TRUE(registry.openDatabase(dir.path("t.dat")));
    EXPECT_EQ(*registry.readField(Text("t")).as<Text>(), "abc");
    registry.skip();
    EXPECT_EQ(*registry.readField(Text("t")).as<Text>(), std::string(100, 'x'));

    // Writing cuts at the width without a terminator, and never halves a character.
    EXPECT_TRUE(registry.writeField(Text("t"), {}, Text(150, 'y')));
    EXPECT_EQ(*registry.readField(Text("t")).as<Text>(), std::string(100, 'y'));
    EXPECT_TRUE(registry.writeField(Text("t"), {}, Text(99, 'z') + "曲"));
    EXPECT_EQ(*registry.readField(Text("t")).as<Text>(), std::string(99, 'z'));
    EXPECT_FALSE(registry.writeField(Text("t"), {}, std::int32_t { 5 }));
    EXPECT_EQ(lastError(), ValueTypeMismatch);
    EXPECT_EQ(*registry.readField(Text("t")).as<Text>(), std::string(99, 'z'));
}

TEST_F(LayoutTest, ValuesRoundTripWithNumericConversion)
{
    DatabaseImage image({ { "b", 1, 1 }, { "i", 3, 4 }, { "ok", 7, 1 }, { "when", 8, 8 } });
    image.addRecord(1);
    writeFile(dir.path("v.dat"), image.bytes());
    ASSERT_TRUE(registry.openDatabase(dir.path("v.dat")));
    EXPECT_TRUE(registry.writeField(Text("b"), {}, 300.7)); // saturates
    EXPECT_EQ(*registry.readField(Text("b")).as<std::uint8_t>(), 255);
    EXPECT_TRUE(registry.writeField(Text("i"), {}, std::int64_t { -5 }));
    EXPECT_EQ(*registry.readField(Text("i")).as<std::int32_t>(), -5);
    EXPECT_TRUE(registry.writeField(Text("i"), {}, std::nan("")));
    EXPECT_EQ(*registry.readField(Text("i")).as<std::int32_t>(), 0);
    EXPECT_TRUE(registry.writeField(Text("ok"), {}, true));
    EXPECT_EQ(readFile(dir.path("v.dat"))[image.dataStart() + image.offsetOf(2)], 1);
    EXPECT_FALSE(registry.writeField(Text("ok"), {}, std::int32_t { 1 }));
    EXPECT_EQ(lastError(), ValueTypeMismatch);
    EXPECT_TRUE(registry.writeField(Text("when"), {}, runtime::DateTime { -700000.0 }));
    EXPECT_EQ(registry.readField(Text("when")).as<runtime::DateTime>()->days, -657434.0);
    EXPECT_TRUE(registry.writeField(Text("i"), {}, std::nullopt)); // omitted: zero
    EXPECT_EQ(*registry.readField(Text("i")).as<std::int32_t>(), 0);
}

struct BadHeader {
    const char* what;
    std::size_t at;
    std::int64_t value;
    int width;
    int expected;
};

class HeaderCheckTest : public LayoutTest, public ::testing::WithParamInterface<BadHeader> { };

TEST_P(HeaderCheckTest, RefusesAndLeavesNothingOpen)
{
    DatabaseImage image({ { "abcdefghijklmnop", 10, 8 } });
    image.addRecord(1);
    Bytes bytes = image.bytes();
    putInt(bytes, GetParam().at, GetParam().value, GetParam().width);
    writeFile(dir.path("h.dat"), bytes);
    EXPECT_FALSE(registry.openDatabase(dir.path("h.dat")));
    EXPECT_EQ(lastError(), GetParam().expected);
    EXPECT_EQ(registry.openCount(), 0u);
    EXPECT_EQ(readFile(dir.path("h.dat")), bytes);
}

INSTANTIATE_TEST_SUITE_P(Layout, HeaderCheckTest,
    ::testing::Values(BadHeader { "magic", 0, 0x42444558, 4, NotADatabase },
        BadHeader { "protected", 0, 0x42444357, 4, PasswordRequired },
        BadHeader { "version", 4, 0x00010001, 4, VersionTooHigh },
        BadHeader { "count", 16, -1, 4, NotADatabase },
        BadHeader { "next id", 20, 0, 4, NotADatabase },
        BadHeader { "record size", 24, 0, 4, NotADatabase },
        BadHeader { "field count", 112, 0, 4, NotADatabase },
        BadHeader { "huge field count", 112, 0x7FFFFFFF, 4, NotADatabase },
        BadHeader { "name unterminated", 132, 0x41414141, 4, NotADatabase },
        BadHeader { "type", 136, 13, 4, NotADatabase },
        BadHeader { "negative offset", 140, -4, 4, NotADatabase },
        BadHeader { "offset over the id", 140, 0, 4, NotADatabase },
        BadHeader { "value past the record", 144, 9, 4, NotADatabase },
        BadHeader { "text size", 144, 0, 4, NotADatabase }),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& c : name)
            c = c == ' ' ? '_' : c;
        return name;
    });

TEST_F(LayoutTest, ShortFilesAreNotDatabases)
{
    DatabaseImage image({ { "t", 10, 8 } });
    Bytes bytes = image.bytes();
    for (std::size_t size : { 0, 50, 112, 150 }) {
        writeFile(dir.path("s.dat"), Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(size)));
        EXPECT_FALSE(registry.openDatabase(dir.path("s.dat"))) << size;
        EXPECT_EQ(lastError(), NotADatabase) << size;
    }
    EXPECT_FALSE(registry.openDatabase(dir.path("missing.dat")));
    EXPECT_EQ(lastError(), FileNotFound);
    EXPECT_FALSE(registry.openDatabase(""));
    EXPECT_EQ(lastError(), FileNotFound);
}

TEST_F(LayoutTest, SizeRepairCutsTheCountAndTheTailOnlyWhenWritable)
{
    DatabaseImage image({ { "t", 10, 8 } });
    for (int id = 1; id <= 5; ++id)
        image.addRecord(id);
    Bytes full = image.bytes();
    Bytes partial(full.begin(), full.end() - image.recordSize() * 5 / 2);
    writeFile(dir.path("r.dat"), partial);

    EXPECT_FALSE(registry.openDatabase(dir.path("r.dat"), {}, true));
    EXPECT_EQ(lastError(), DatabaseSizeWrong);
    EXPECT_EQ(readFile(dir.path("r.dat")), partial);

    ASSERT_TRUE(registry.openDatabase(dir.path("r.dat")));
    Bytes repaired = readFile(dir.path("r.dat"));
    EXPECT_EQ(getInt(repaired, 16, 4), 2);
    EXPECT_EQ(repaired.size(), std::size_t(image.dataStart() + 2 * image.recordSize()));
    EXPECT_EQ(registry.recordCount(), 2);
    registry.closeDatabase();

    Bytes longer = full;
    longer.insert(longer.end(), 7, 0xEE);
    writeFile(dir.path("r.dat"), longer);
    ASSERT_TRUE(registry.openDatabase(dir.path("r.dat")));
    EXPECT_EQ(readFile(dir.path("r.dat")), full);
}

TEST_F(LayoutTest, EmptyDatabaseAndDefaultExtension)
{
    DatabaseImage image({ { "t", 10, 8 } });
    writeFile(dir.path("plain.EDB"), image.bytes());
    ASSERT_TRUE(registry.openDatabase(dir.path("plain")));
    EXPECT_EQ(registry.recordCount(), 0);
    registry.closeDatabase();
    ASSERT_TRUE(registry.openDatabase(dir.path("plain.")));
    registry.closeDatabase();
    EXPECT_FALSE(registry.openDatabase(dir.path("plain.dat")));
    EXPECT_EQ(lastError(), FileNotFound);
}

TEST_F(LayoutTest, AuxiliaryFileChecks)
{
    DatabaseImage image({ { "memo", 12, 4 } });
    image.addRecord(1);
    writeFile(dir.path("m.dat"), image.bytes());
    EXPECT_FALSE(registry.openDatabase(dir.path("m.dat")));
    EXPECT_EQ(lastError(), AuxiliaryReadFailed);

    AuxImage aux;
    aux.addChain(std::string(1200, 'a'));
    Bytes good = aux.bytes();
    Bytes bad = good;
    bad[0] = 'X';
    writeFile(dir.path("m.EDT"), bad);
    EXPECT_FALSE(registry.openDatabase(dir.path("m.dat")));
    EXPECT_EQ(lastError(), AuxiliaryReadFailed);
    bad = good;
    putInt(bad, 4, 0x00020000, 4);
    writeFile(dir.path("m.EDT"), bad);
    EXPECT_FALSE(registry.openDatabase(dir.path("m.dat")));
    EXPECT_EQ(lastError(), AuxiliaryVersionMismatch);
    bad = good;
    putInt(bad, 20, 4, 4); // free count not below block count
    writeFile(dir.path("m.EDT"), bad);
    EXPECT_FALSE(registry.openDatabase(dir.path("m.dat")));
    EXPECT_EQ(lastError(), AuxiliaryReadFailed);

    // A short file: refused read-only, its block count repaired otherwise.
    Bytes shortFile(good.begin(), good.end() - 512);
    writeFile(dir.path("m.EDT"), shortFile);
    EXPECT_FALSE(registry.openDatabase(dir.path("m.dat"), {}, true));
    EXPECT_EQ(lastError(), AuxiliaryDamaged);
    ASSERT_TRUE(registry.openDatabase(dir.path("m.dat")));
    EXPECT_EQ(getInt(readFile(dir.path("m.EDT")), 16, 4), 3);
}

} // namespace
} // namespace recdb::test
