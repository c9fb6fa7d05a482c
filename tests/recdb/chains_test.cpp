// Memo and byte-set chains in the auxiliary file: block use, reuse, the free list and the
// shrinking tail, and damaged chains.

#include "recdb/error_codes.h"
#include "recdb/file_check.h"
#include "recdb/registry.h"
#include "test_files.h"

#include <gtest/gtest.h>

namespace recdb::test {
namespace {

class ChainsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DatabaseImage image({ { "memo", 12, 4 }, { "set", 11, 4 } });
        image.addRecord(1);
        image.addRecord(2);
        writeFile(dir.path("c.dat"), image.bytes());
        writeFile(dir.path("c.EDT"), AuxImage().bytes());
        ASSERT_TRUE(registry.openDatabase(dir.path("c.dat"), "c"));
    }

    Bytes aux() { return readFile(dir.path("c.EDT")); }
    std::int64_t blockCount() { return getInt(aux(), 16, 4); }
    std::int64_t freeCount() { return getInt(aux(), 20, 4); }
    std::int64_t used(std::int64_t block) { return getInt(aux(), std::size_t(block) * 512 + 8, 4); }

    ThrowingReport report;
    TempDir dir;
    Registry registry { report };
};

// A new value goes into a new chain; the old chain is freed only once the record points at
// the new one, so a failure at any step leaves the old value whole.
TEST_F(ChainsTest, ValuesAreCutIntoBlocksOfFiveHundredBytes)
{
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text(1000, 'a')));
    EXPECT_EQ(blockCount(), 3);
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text(1001, 'b'))); // blocks 3, 4, 5
    EXPECT_EQ(blockCount(), 6);
    EXPECT_EQ(used(5), 1);
    EXPECT_EQ(freeCount(), 2);
    EXPECT_EQ(*registry.readField(Text("memo")).as<Text>(), Text(1001, 'b'));
    EXPECT_EQ(aux().size(), 6u * 512);
}

TEST_F(ChainsTest, AShorterValueTakesANewBlockAndTheFreedTailShrinksTheFile)
{
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text(1200, 'a')));
    ASSERT_EQ(aux().size(), 4u * 512);
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text("short")));
    EXPECT_EQ(getInt(readFile(dir.path("c.dat")), 116 + 144 + 4, 4), 4);
    EXPECT_EQ(blockCount(), 5);
    EXPECT_EQ(freeCount(), 3);
    EXPECT_EQ(*registry.readField(Text("memo")).as<Text>(), "short");
    // The next value takes the freed blocks, then freeing the last block shrinks the file.
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text(600, 'c'))); // blocks 1, 2
    EXPECT_EQ(blockCount(), 3);
    EXPECT_EQ(freeCount(), 0);
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text()));
    EXPECT_EQ(getInt(readFile(dir.path("c.dat")), 116 + 144 + 4, 4), 0);
    EXPECT_EQ(aux().size(), 512u);
    EXPECT_EQ(freeCount(), 0);
}

TEST_F(ChainsTest, FreedBlocksInTheMiddleAreReusedBeforeTheFileGrows)
{
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text(900, 'a'))); // blocks 1, 2
    ASSERT_TRUE(registry.writeField(Text("set"), {}, runtime::ByteSet(10, 7))); // block 3
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text())); // frees 1, 2
    EXPECT_EQ(freeCount(), 2);
    EXPECT_EQ(blockCount(), 4);
    ASSERT_TRUE(registry.skip());
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text(800, 'c')));
    EXPECT_EQ(blockCount(), 4);
    EXPECT_EQ(freeCount(), 0);
    EXPECT_EQ(*registry.readField(Text("memo")).as<Text>(), Text(800, 'c'));
    registry.goFirst();
    EXPECT_EQ(*registry.readField(Text("set")).as<runtime::ByteSet>(), runtime::ByteSet(10, 7));
}

TEST_F(ChainsTest, PackFreesTheChainsOfDroppedRecords)
{
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text(700, 'a')));
    ASSERT_TRUE(registry.skip());
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text(600, 'b')));
    ASSERT_TRUE(registry.goTo(1));
    ASSERT_TRUE(registry.markDeleted());
    ASSERT_TRUE(registry.pack());
    EXPECT_EQ(registry.recordCount(), 1);
    EXPECT_EQ(freeCount(), 2);
    EXPECT_EQ(*registry.readField(Text("memo")).as<Text>(), Text(600, 'b'));
    // The freed blocks serve the next value.
    ASSERT_TRUE(registry.writeField(Text("set"), {}, runtime::ByteSet(900, 1)));
    EXPECT_EQ(blockCount(), 5);
    EXPECT_EQ(freeCount(), 0);
}

TEST_F(ChainsTest, DamagedChainsGiveAnErrorInsteadOfLooping)
{
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text(1200, 'a')));
    registry.closeDatabase();
    Bytes bytes = aux();
    putInt(bytes, 3 * 512 + 4, 1, 4); // last block points back to the first
    writeFile(dir.path("c.EDT"), bytes);
    ASSERT_TRUE(registry.openDatabase(dir.path("c.dat")));
    EXPECT_EQ(*registry.readField(Text("memo")).as<Text>(), "");
    EXPECT_EQ(lastError(), AuxiliaryAccessFailed);
    // Writing over a looping chain is refused before anything changes: its blocks are never
    // freed into the free list, where the next value would take a block of the loop.
    EXPECT_FALSE(registry.writeField(Text("memo"), {}, Text("x")));
    EXPECT_EQ(lastError(), AuxiliaryAccessFailed);
    EXPECT_EQ(aux(), bytes);
    registry.closeDatabase();

    putInt(bytes, 3 * 512 + 4, 0, 4);
    putInt(bytes, 2 * 512 + 8, 9999, 4); // used beyond the block
    writeFile(dir.path("c.EDT"), bytes);
    ASSERT_TRUE(registry.openDatabase(dir.path("c.dat")));
    (void)registry.readField(Text("memo"));
    EXPECT_EQ(lastError(), AuxiliaryAccessFailed);
}

// A free list that points at a block of a live value (a damaged file) is not followed: the
// new value goes to the end of the file and the live value stays.
TEST_F(ChainsTest, AFreeListPointingAtALiveBlockIsNeverTaken)
{
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text(600, 'a'))); // blocks 1, 2
    registry.closeDatabase();
    Bytes bytes = aux();
    putInt(bytes, 20, 1, 4); // one free block ...
    putInt(bytes, 24, 2, 4); // ... which is the live block 2
    writeFile(dir.path("c.EDT"), bytes);
    ASSERT_TRUE(registry.openDatabase(dir.path("c.dat")));
    ASSERT_TRUE(registry.skip());

    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text(100, 'b')));

    EXPECT_EQ(blockCount(), 4);
    EXPECT_EQ(*registry.readField(Text("memo")).as<Text>(), Text(100, 'b'));
    registry.goFirst();
    EXPECT_EQ(*registry.readField(Text("memo")).as<Text>(), Text(600, 'a'));
}

// Taking the head of the free list leaves the next free block pointing back at the block
// taken; the list is still whole, for the check and for the blocks taken after it.
TEST_F(ChainsTest, TakingFromAFreeListOfSeveralBlocksKeepsTheListWhole)
{
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text(1500, 'a'))); // blocks 1, 2, 3
    ASSERT_TRUE(registry.writeField(Text("set"), {}, runtime::ByteSet(10, 7))); // block 4
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text())); // frees 1, 2, 3
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text(100, 'b'))); // block 1
    EXPECT_EQ(freeCount(), 2);
    registry.closeDatabase();
    EXPECT_EQ(checkDatabaseFile(dir.path("c.dat")).code, Ok);

    ASSERT_TRUE(registry.openDatabase(dir.path("c.dat")));
    ASSERT_TRUE(registry.skip());
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text(900, 'c'))); // blocks 2, 3
    EXPECT_EQ(blockCount(), 5);
    EXPECT_EQ(*registry.readField(Text("memo")).as<Text>(), Text(900, 'c'));
}

// An emptied block that no free list reaches (a crash while a chain was freed) is not cut
// from the end of the file by way of its stale links, which lead into a live chain.
TEST_F(ChainsTest, ShrinkingTheFileNeverFollowsAnEmptiedBlockOffTheFreeList)
{
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text(600, 'a'))); // blocks 1, 2
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text())); // frees and cuts 1, 2
    registry.closeDatabase();
    AuxImage image;
    image.addChain(std::string(600, 'a')); // blocks 1, 2: the first record's value
    image.addChain(std::string(1, 'x')); // block 3: emptied below, on no list
    const std::int32_t set = image.addChain(std::string(10, char(7))); // block 4
    putInt(image.blocks[3], 0, 1, 4);
    putInt(image.blocks[3], 4, 0, 4);
    putInt(image.blocks[3], 8, 0, 4);
    writeFile(dir.path("c.EDT"), image.bytes());
    Bytes database = readFile(dir.path("c.dat"));
    putInt(database, 116 + 144 + 4, 1, 4);
    putInt(database, 116 + 144 + 12 + 8, set, 4);
    writeFile(dir.path("c.dat"), database);

    ASSERT_TRUE(registry.openDatabase(dir.path("c.dat")));
    ASSERT_TRUE(registry.skip());
    ASSERT_TRUE(registry.writeField(Text("set"), {}, runtime::ByteSet())); // frees block 4

    EXPECT_EQ(blockCount(), 4);
    registry.goFirst();
    EXPECT_EQ(*registry.readField(Text("memo")).as<Text>(), Text(600, 'a'));
    registry.closeDatabase();
    EXPECT_EQ(checkDatabaseFile(dir.path("c.dat")).code, Ok);
}

// The check reads every chain and walks the free list: a free list that reaches a block of a
// live value, or loops, is damage even where every value still reads.
TEST_F(ChainsTest, TheCheckFindsAFreeListThatReachesALiveBlockOrLoops)
{
    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text(600, 'a'))); // blocks 1, 2
    ASSERT_TRUE(registry.writeField(Text("set"), {}, runtime::ByteSet(10, 7))); // block 3
    ASSERT_TRUE(registry.writeField(Text("set"), {}, runtime::ByteSet(20, 8))); // 4; 3 freed
    registry.closeDatabase();
    ASSERT_EQ(checkDatabaseFile(dir.path("c.dat")).code, Ok);
    const Bytes good = aux();

    Bytes bytes = good;
    putInt(bytes, 3 * 512 + 4, 2, 4); // the free block 3 goes on to the live block 2
    putInt(bytes, 20, 2, 4);
    writeFile(dir.path("c.EDT"), bytes);
    CheckResult result = checkDatabaseFile(dir.path("c.dat"));
    EXPECT_EQ(result.code, AuxiliaryDamaged);

    bytes = good;
    putInt(bytes, 3 * 512 + 4, 3, 4); // the free block 3 follows itself
    writeFile(dir.path("c.EDT"), bytes);
    EXPECT_EQ(checkDatabaseFile(dir.path("c.dat")).code, AuxiliaryDamaged);

    bytes = good;
    putInt(bytes, 4 * 512 + 4, 1, 4); // the live block 4 runs on into the other record's chain
    writeFile(dir.path("c.EDT"), bytes);
    result = checkDatabaseFile(dir.path("c.dat"));
    EXPECT_NE(result.code, Ok);
    EXPECT_EQ(result.where, "第 1 条记录");
    EXPECT_EQ(aux(), bytes); // only read
}

} // namespace
} // namespace recdb::test
