// Where the playing slot stands in a play queue after the show was edited underneath it.

#include "app/playing_slot.h"

#include <gtest/gtest.h>

namespace app::test {
namespace {

struct Case {
    const char* name;
    std::vector<Text> paths;
    std::vector<std::int32_t> records;
    PlayingSlot playing;
    std::int32_t position, after, before;
};

TEST(QueueView, FindsThePlayingSlotThroughEdits)
{
    const auto slot = [](std::int32_t record, const char* path) {
        PlayingSlot playing;
        playing.record = record;
        playing.path = path;
        return playing;
    };
    const Case cases[] = {
        { "unchanged", { "a", "b", "c" }, { 1, 2, 3 }, slot(2, "b"), 2, 3, 1 },
        // An empty slot before it got a track: b moved from position 1 to 2.
        { "earlier slot filled", { "x", "b", "c" }, { 1, 2, 3 }, slot(2, "b"), 2, 3, 1 },
        // Slot 1 deleted: b's record went from 2 to 1.
        { "earlier slot deleted", { "b", "c" }, { 1, 2 }, slot(2, "b"), 1, 2, 0 },
        { "slot inserted before", { "a", "b", "c" }, { 1, 3, 4 }, slot(2, "b"), 2, 3, 1 },
        // The same file twice: the entry nearest the slot's record is the playing one.
        { "same file twice", { "a", "b", "a", "c" }, { 1, 2, 9, 10 }, slot(8, "a"), 3, 4, 2 },
        // The playing slot itself deleted: the slot now at its record comes next.
        { "playing slot deleted", { "a", "c", "d" }, { 1, 2, 3 }, slot(2, "b"), 0, 2, 1 },
        { "last one", { "a", "b" }, { 1, 2 }, slot(2, "b"), 2, 0, 1 },
        { "nothing played yet", { "a", "b" }, { 1, 2 }, PlayingSlot {}, 0, 1, 0 },
        { "beyond a shorter show", { "a", "b" }, { 1, 2 }, slot(9, "z"), 0, 0, 2 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QueueView queue(c.paths, c.records);
        EXPECT_EQ(queue.positionOf(c.playing), c.position);
        EXPECT_EQ(queue.positionAfter(c.playing), c.after);
        EXPECT_EQ(queue.positionBefore(c.playing), c.before);
    }
}

} // namespace
} // namespace app::test
