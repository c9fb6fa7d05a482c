// The PIN and its sessions, in a time the test moves: the lock after five wrong PINs, its end,
// and the one session a new PIN entry replaces.

#include "backends/remote/session_guard.h"

#include <gtest/gtest.h>

#include <set>

namespace remote::test {
namespace {

using Outcome = SessionGuard::Outcome;
using namespace std::chrono_literals;

class Guard : public ::testing::Test {
protected:
    SessionGuard guard { "123456", [this] { return "token" + std::to_string(++issued); } };
    SteadyTime now {};
    int issued = 0;
};

TEST_F(Guard, TheRightPinOpensASessionThatReplacesTheLastOne)
{
    const SessionGuard::Attempt first = guard.open("123456", now);
    ASSERT_EQ(first.outcome, Outcome::opened);
    EXPECT_TRUE(guard.admits(first.token));
    const SessionGuard::Attempt second = guard.open("123456", now);
    EXPECT_TRUE(guard.admits(second.token));
    EXPECT_FALSE(guard.admits(first.token));
    for (const char* wrong : { "", "token", "token22", "TOKEN2" })
        EXPECT_FALSE(guard.admits(wrong)) << wrong;
}

TEST_F(Guard, FiveWrongPinsLockEvenTheRightOneForAMinute)
{
    for (const char* wrong : { "", "12345", "1234567", "654321" })
        EXPECT_EQ(guard.open(wrong, now).outcome, Outcome::wrongPin) << wrong;
    const SessionGuard::Attempt fifth = guard.open("000000", now);
    EXPECT_EQ(fifth.outcome, Outcome::locked);
    EXPECT_EQ(fifth.retryAfter, 60s);
    const SessionGuard::Attempt later = guard.open("123456", now + 59s);
    EXPECT_EQ(later.outcome, Outcome::locked);
    EXPECT_EQ(later.retryAfter, 1s);
    EXPECT_EQ(issued, 0);
    EXPECT_EQ(guard.open("123456", now + 60s).outcome, Outcome::opened);
}

TEST_F(Guard, ARightPinClearsTheCountOfMistakes)
{
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(guard.open("1", now).outcome, Outcome::wrongPin);
    EXPECT_EQ(guard.open("123456", now).outcome, Outcome::opened);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(guard.open("1", now).outcome, Outcome::wrongPin);
    EXPECT_EQ(guard.open("1", now).outcome, Outcome::locked);
}

TEST(SessionGuardPins, AnEmptyPinInTheSettingsOpensNothing)
{
    SessionGuard guard("", randomToken);
    EXPECT_EQ(guard.open("", SteadyTime {}).outcome, Outcome::wrongPin);
    EXPECT_FALSE(guard.admits(""));
}

TEST(SessionGuardPins, TokensAre32HexDigitsAndDoNotRepeat)
{
    std::set<std::string> seen;
    for (int k = 0; k < 1000; ++k) {
        const std::string token = randomToken();
        ASSERT_EQ(token.size(), 32u);
        EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos);
        seen.insert(token);
    }
    EXPECT_EQ(seen.size(), 1000u);
}

} // namespace
} // namespace remote::test
