#pragma once
// The committed test tracks (tests/data/media, made by make-test-files.sh).

#include <string>

namespace media::test {

inline std::string track(const std::string& name)
{
    return MEDIA_TEST_DATA "/" + name;
}

} // namespace media::test
