#include "runtime/conversions.h"
#include "runtime/text.h"
#include "runtime/text_edit.h"

#include <gtest/gtest.h>

namespace runtime {
namespace {

TEST(Text, ComparesBytesUnsignedAndNullAsEmpty)
{
    EXPECT_LT(compareText("a", "\xB0\xA1"), 0); // a GBK lead byte sorts above ASCII
    EXPECT_EQ(compareText("", std::string_view()), 0);
    EXPECT_GT(compareText("ab", "a"), 0);
    EXPECT_EQ(textLength("曲风"), 4);
    EXPECT_EQ(concatText(Text("a"), "曲", std::string_view("b")), "a曲b");
}

TEST(Text, RemoveAllSpacesKeepsDoubleByteCharactersWhole)
{
    EXPECT_EQ(removeAllSpaces(" 新 建　场次　"), "新建场次");
    // 啊 is B0 A1: its trail byte and the next full-width space look like A1 A1 too.
    EXPECT_EQ(removeAllSpaces("\xB0\xA1\xA1\xA1\xA1"), "\xB0\xA1\xA1");
    EXPECT_EQ(removeAllSpaces("\xA1\xA1\xA1"), "\xA1");
}

TEST(Text, RightPartCountsBytes)
{
    EXPECT_EQ(rightPart("abc.dat", 4), ".dat");
    EXPECT_EQ(rightPart("abc", 0), "");
    EXPECT_EQ(rightPart("abc", -2), "");
    EXPECT_EQ(rightPart("abc", 10), "abc");
}

TEST(Conversions, ToText)
{
    EXPECT_EQ(toText(Value(-42)), "-42");
    EXPECT_EQ(toText(Value(true)), "真");
    EXPECT_EQ(toText(Value(false)), "假");
    EXPECT_EQ(toText(Value(std::uint8_t { 200 })), "200");
    EXPECT_EQ(toText(Value(std::int64_t { 1 } << 40)), "1099511627776");
    EXPECT_EQ(toText(Value(ByteSet { 'a', 'b', 0, 'c' })), "ab");
    EXPECT_EQ(toText(Value(0.5)), "0.5");
}

TEST(Conversions, ToIntegerTakesTheLeadingNumber)
{
    EXPECT_EQ(toInteger(Value("12秒")), 12);
    EXPECT_EQ(toInteger(Value(" -7")), -7);
    EXPECT_EQ(toInteger(Value("秒")), 0);
    EXPECT_EQ(toInteger(Value("")), 0);
    EXPECT_EQ(toInteger(Value("99999999999")), 2147483647);
    EXPECT_EQ(toInteger(Value(-2.9)), -2);
    EXPECT_EQ(toInteger(Value(2.9f)), 2);
    EXPECT_EQ(toInteger(Value(1e300)), 2147483647);
    EXPECT_EQ(toInteger(Value(std::int16_t { -5 })), -5);
}

TEST(Value, TypeCodes)
{
    EXPECT_EQ(Value(1).type(), TypeCode::Integer);
    EXPECT_EQ(Value("x").type(), TypeCode::Text);
    EXPECT_EQ(Value(DateTime {}).type(), TypeCode::DateTime);
    EXPECT_EQ(Value(SubProgram {}).type(), TypeCode::SubProgram);
    Value component = Value::component(0x0001000a, { 0x52010001, 0x16010002 });
    EXPECT_EQ(static_cast<std::uint32_t>(component.type()), 0x0001000au);
    EXPECT_EQ(component.as<ComponentRef>()->componentId, 0x16010002u);
}

} // namespace
} // namespace runtime
