#pragma once
// A fault in a template source, reported as "file:line: message" so editors can jump to it.

#include <stdexcept>
#include <string>

namespace tmplc {

struct SourceError : std::runtime_error {
    SourceError(const std::string& file, int line, const std::string& message)
        : std::runtime_error(file + ":" + std::to_string(line) + ": " + message)
    {
    }
};

} // namespace tmplc
