#pragma once
// GBK ⇄ UTF-8 at the edge of the program (file names, terminal, toolkit strings).
//
// The GBK side is decoded as GB18030, its superset, so a character without a GBK code
// still survives: utf8ToGbk writes it as a four-byte GB18030 sequence.
//
// A byte that does not decode passes through unchanged in both directions. Such a byte can
// never join its neighbours into a valid sequence on the other side, so every GBK byte
// string comes back byte for byte from gbkToUtf8 then utf8ToGbk; a name taken from a data
// file and used as a file name is found again under the same bytes. The reverse trip is
// exact for valid UTF-8.

#include <string>
#include <string_view>

namespace platform {

[[nodiscard]] std::string gbkToUtf8(std::string_view gbk);
[[nodiscard]] std::string utf8ToGbk(std::string_view utf8);

} // namespace platform
