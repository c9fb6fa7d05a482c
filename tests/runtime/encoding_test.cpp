// GBK ⇄ UTF-8 with converters kept open: threads converting at once, and what one string
// leaves in a converter never reaching the next.

#include "platform/encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

// 新建场次 in both encodings.
const std::string gbkShow = "\xD0\xC2\xBD\xA8\xB3\xA1\xB4\xCE";
const std::string utf8Show = "\xE6\x96\xB0\xE5\xBB\xBA\xE5\x9C\xBA\xE6\xAC\xA1";

TEST(Encoding, ThreadsConvertingAtOnceEachGetTheirOwnResult)
{
    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    for (std::size_t t = 0; t < wrong.size(); ++t)
        threads.emplace_back([&wrong, t] {
            // Each thread its own texts, so a shared converter's state would show.
            const std::string number = std::to_string(t);
            for (int i = 0; i < 2000; ++i) {
                wrong[t] += platform::gbkToUtf8(gbkShow + number) != utf8Show + number;
                wrong[t] += platform::utf8ToGbk(number + utf8Show) != number + gbkShow;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

TEST(Encoding, AStringCutOffInACharacterLeavesTheNextOneWhole)
{
    // The first byte of 新 at the end: kept as it is, and not joined to what comes next.
    EXPECT_EQ(platform::gbkToUtf8(gbkShow.substr(0, 3)), utf8Show.substr(0, 3) + "\xBD");
    EXPECT_EQ(platform::gbkToUtf8(gbkShow), utf8Show);
    EXPECT_EQ(platform::utf8ToGbk(utf8Show.substr(0, 4)), gbkShow.substr(0, 2) + "\xE5");
    EXPECT_EQ(platform::utf8ToGbk(utf8Show), gbkShow);
}

} // namespace
