#pragma once
// Who may drive the hall from a browser: entering the PIN opens a session whose token the
// page sends with every command. One session at a time: a new one ends the last, so a token
// copied from an old page is refused. After five wrong PINs in a row the PIN is refused for a
// minute, even when right, so six digits cannot be tried through. Not thread-safe: the server
// uses it on its one thread.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace remote {

using SteadyTime = std::chrono::steady_clock::time_point;

class SessionGuard {
public:
    static constexpr int allowedMistakes = 5;
    static constexpr std::chrono::seconds lockTime { 60 };

    enum class Outcome { opened, wrongPin, locked };
    struct Attempt {
        Outcome outcome;
        std::string token; // when opened
        std::chrono::seconds retryAfter { 0 }; // when locked
    };

    // tokens: a new unguessable token at each call.
    SessionGuard(std::string pin, std::function<std::string()> tokens);

    [[nodiscard]] Attempt open(std::string_view pin, SteadyTime now);
    // True for the token of the current session only.
    [[nodiscard]] bool admits(std::string_view token) const;
    [[nodiscard]] const std::string& currentToken() const { return token_; }

private:
    std::string pin_;
    std::function<std::string()> tokens_;
    std::string token_; // empty: no session
    int mistakes_ = 0;
    SteadyTime lockedUntil_ {};
};

// 32 hex digits from the system's random source.
[[nodiscard]] std::string randomToken();
// A different text of the same length compares in the same time, so the time a refusal
// takes tells nothing of how much was right.
[[nodiscard]] bool sameSecret(std::string_view a, std::string_view b);

} // namespace remote
