#include "recdb/gbk_names.h"

#include <cstddef>

namespace recdb {

namespace {

bool isLeadByte(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

unsigned char asciiLower(unsigned char byte)
{
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

bool isAsciiNameChar(unsigned char c, bool first)
{
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    return letter || (!first && c >= '0' && c <= '9');
}

bool isDoubleByteNameChar(unsigned char lead, unsigned char trail, bool first)
{
    unsigned code = (unsigned(lead) << 8) | trail;
    if (code >= 0xA3B0 && code <= 0xA3B9) // full-width digits
        return !first;
    if ((code >= 0xA3C1 && code <= 0xA3DA) || (code >= 0xA3E1 && code <= 0xA3FA))
        return true;
    if (lead == 0xA4)
        return trail >= 0xA1 && trail <= 0xF3; // hiragana
    if (lead == 0xA5)
        return trail >= 0xA1 && trail <= 0xF6; // katakana
    if (code == 0xA960)
        return true;
    bool validTrail = trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
    return validTrail && ((lead >= 0x81 && lead <= 0xA0) || lead >= 0xAA);
}

} // namespace

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    // Identical bytes are equal in any case; most names are given as they are stored.
    if (a == b)
        return true;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (isLeadByte(x) && i + 1 < a.size()) {
            if (x != y || a[i + 1] != b[i + 1])
                return false;
            ++i;
        } else if (asciiLower(x) != asciiLower(y)) {
            return false;
        }
    }
    return true;
}

bool isValidName(std::string_view name)
{
    if (name.empty())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        auto c = static_cast<unsigned char>(name[i]);
        bool first = i == 0;
        if (c < 0x80) {
            if (!isAsciiNameChar(c, first))
                return false;
        } else {
            if (i + 1 >= name.size()
                || !isDoubleByteNameChar(c, static_cast<unsigned char>(name[i + 1]), first))
                return false;
            ++i;
        }
    }
    return true;
}

} // namespace recdb
