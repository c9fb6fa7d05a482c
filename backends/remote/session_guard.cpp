#include "backends/remote/session_guard.h"

#include <random>

namespace remote {

SessionGuard::SessionGuard(std::string pin, std::function<std::string()> tokens)
    : pin_(std::move(pin))
    , tokens_(std::move(tokens))
{
}

SessionGuard::Attempt SessionGuard::open(std::string_view pin, SteadyTime now)
{
    if (now < lockedUntil_)
        return { Outcome::locked, {}, std::chrono::ceil<std::chrono::seconds>(lockedUntil_ - now) };
    // An empty PIN in the settings opens nothing, rather than everything.
    if (pin_.empty() || !sameSecret(pin, pin_)) {
        if (++mistakes_ >= allowedMistakes) {
            mistakes_ = 0;
            lockedUntil_ = now + lockTime;
            return { Outcome::locked, {}, lockTime };
        }
        return { Outcome::wrongPin, {}, {} };
    }
    mistakes_ = 0;
    token_ = tokens_();
    return { Outcome::opened, token_, {} };
}

bool SessionGuard::admits(std::string_view token) const
{
    return !token_.empty() && sameSecret(token, token_);
}

std::string randomToken()
{
    std::random_device source;
    std::string token;
    for (int word = 0; word < 4; ++word) {
        const std::uint32_t bits = source();
        for (int shift = 28; shift >= 0; shift -= 4)
            token += "0123456789abcdef"[(bits >> shift) & 0xF];
    }
    return token;
}

bool sameSecret(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (std::size_t k = 0; k < a.size(); ++k)
        difference |= static_cast<unsigned char>(a[k] ^ b[k]);
    return difference == 0;
}

} // namespace remote
