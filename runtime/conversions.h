#pragma once
// The runtime's conversions between typed values. A value that cannot be interpreted gives
// 0, "" or the invalid date-time; a conversion never fails.

#include "runtime/value.h"

namespace runtime {

// Numbers in decimal, logical values as "真"/"假", byte sets up to their first zero byte,
// date-times as "2013年9月5日" followed by the time only as far as it is not zero
// ("23时59分1秒", "23时5分", "23时").
[[nodiscard]] Text toText(const Value& value);
[[nodiscard]] Text dateTimeText(DateTime value);

// Text by its leading decimal number (blanks and a sign allowed before the digits; out of
// range saturates), reals truncated toward zero, small integers widened, logical as 1/0.
[[nodiscard]] std::int32_t toInteger(const Value& value);

// A date-time passes; a text is parsed; anything else is the invalid date-time.
DateTime toDateTime(const Value& value);

} // namespace runtime
