// The registry: opening under aliases, finding databases, the current database and the
// close rules, and the runtime errors of reading from nothing.

#include "recdb/error_codes.h"
#include "recdb/registry.h"
#include "test_files.h"

#include <gtest/gtest.h>

namespace recdb::test {
namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : { "dqqf", "qfsz" }) {
            DatabaseImage image({ { "曲风", 10, 20 } });
            image.setValue(image.addRecord(1), 0, name, 4);
            writeFile(dir.path(std::string(name) + ".dat"), image.bytes());
        }
    }
    Text style(const Registry::Alias& alias = {})
    {
        return *registry.readField(Text("曲风"), alias).as<Text>();
    }

    ThrowingReport report;
    TempDir dir;
    Registry registry { report };
};

TEST_F(RegistryTest, OpeningTheSameFileTwiceFailsAndKeepsTheCurrentDatabase)
{
    ASSERT_TRUE(registry.openDatabase(dir.path("dqqf.dat"), "dqqf"));
    ASSERT_TRUE(registry.openDatabase(dir.path("qfsz.dat"), "qfsz"));
    EXPECT_FALSE(registry.openDatabase(dir.path("dqqf.dat"), "dqqf"));
    EXPECT_EQ(lastError(), AlreadyOpen);
    EXPECT_FALSE(registry.openDatabase(dir.path("./dqqf.dat")));
    EXPECT_EQ(lastError(), AlreadyOpen);
    EXPECT_EQ(style(), "qfsz");
    EXPECT_EQ(registry.openCount(), 2u);
}

TEST_F(RegistryTest, AliasesMustBeValidNames)
{
    for (const char* bad : { "1abc", "a b", "a.b", "１a", "a-b", "\xA1\xA1", "\xB2" }) {
        EXPECT_FALSE(registry.openDatabase(dir.path("dqqf.dat"), Text(bad))) << bad;
        EXPECT_EQ(lastError(), BadAlias);
    }
    for (const char* good : { "dqqf", "_x1", "曲风表", "ａ１", "あ" }) {
        EXPECT_TRUE(registry.openDatabase(dir.path("dqqf.dat"), Text(good))) << good;
        registry.closeDatabase();
    }
}

TEST_F(RegistryTest, FindsByAliasThenTitleThenFullPathIgnoringCase)
{
    ASSERT_TRUE(registry.openDatabase(dir.path("qfsz.dat"), "qfsx"));
    ASSERT_TRUE(registry.openDatabase(dir.path("dqqf.dat"), "QFSZ2"));
    EXPECT_EQ(style("QFSZ"), "qfsz"); // by title
    EXPECT_EQ(style("qfsz2"), "dqqf"); // by alias
    EXPECT_EQ(style(Text(dir.path("DQQF.dat"))), "dqqf");
    EXPECT_FALSE(registry.writeField(Text("曲风"), Text("nothing"), Text("x")));
    EXPECT_EQ(lastError(), DatabaseNotOpen);
    EXPECT_FALSE(registry.writeField(Text("曲风"), Text(""), Text("x")));
    EXPECT_EQ(lastError(), DatabaseNotOpen);
    EXPECT_FALSE(registry.writeField(Text("风格"), Text("qfsz"), Text("x")));
    EXPECT_EQ(lastError(), NoSuchField);
    EXPECT_THROW(registry.readField(Text("曲风"), Text("")), RuntimeErrorRaised);
}

TEST_F(RegistryTest, ClosingKeepsOrDropsTheCurrentDatabase)
{
    ASSERT_TRUE(registry.openDatabase(dir.path("dqqf.dat"), "a"));
    ASSERT_TRUE(registry.openDatabase(dir.path("qfsz.dat"), "b"));
    registry.closeDatabase(Text("a"));
    EXPECT_EQ(style(), "qfsz");
    ASSERT_TRUE(registry.openDatabase(dir.path("dqqf.dat"), "a"));
    registry.closeDatabase(Text("a")); // the current one
    EXPECT_EQ(registry.openCount(), 1u);
    EXPECT_EQ(registry.recordCount(), 0);
    EXPECT_EQ(lastError(), NoCurrentDatabase);
    EXPECT_FALSE(registry.goLast());
    EXPECT_EQ(lastError(), NoCurrentDatabase);
    EXPECT_FALSE(registry.writeField(Text("曲风"), {}, Text("x")));
    EXPECT_EQ(lastError(), DatabaseNotOpen);
    try {
        (void)registry.readField(Text("曲风"));
        FAIL();
    } catch (const RuntimeErrorRaised& raised) {
        EXPECT_EQ(raised.message, "未指定当前数据库或者指定数据库未打开");
    }
    EXPECT_EQ(style("b"), "qfsz"); // still open under its alias
    registry.closeDatabase(Text("missing"));
    EXPECT_EQ(lastError(), 0);
    EXPECT_EQ(registry.openCount(), 1u);
}

TEST_F(RegistryTest, UnknownFieldsAndFieldArguments)
{
    ASSERT_TRUE(registry.openDatabase(dir.path("dqqf.dat"), "dqqf"));
    try {
        (void)registry.readField(Text("曲目"));
        FAIL();
    } catch (const RuntimeErrorRaised& raised) {
        EXPECT_EQ(raised.message, "指定字段不存在");
    }
    EXPECT_THROW(registry.readField(std::int32_t { 2 }), RuntimeErrorRaised);
    EXPECT_THROW(registry.readField(true), RuntimeErrorRaised);
    EXPECT_FALSE(registry.writeField(std::int32_t { 0 }, {}, Text("x")));
    EXPECT_EQ(lastError(), NoSuchField);
}

TEST(ErrorTableTest, MessagesAndLastErrorPerThread)
{
    EXPECT_EQ(errorMessage(-1), "未知错误");
    EXPECT_EQ(errorMessage(-16), "字段数目必须大于 0 ");
    EXPECT_EQ(errorMessage(-74), "数据库的共享打开方式不是“#禁止读写”");
    EXPECT_EQ(errorMessage(-77), "");
    EXPECT_EQ(errorMessage(-80), "无效的密码文本");
    EXPECT_EQ(errorMessage(-81), "");
    EXPECT_EQ(errorMessage(0), "");
    setLastError(-5);
    int seenByOther = 1;
    std::thread([&] { seenByOther = lastError(); }).join();
    EXPECT_EQ(seenByOther, 0);
    EXPECT_EQ(lastError(), -5);
}

} // namespace
} // namespace recdb::test
