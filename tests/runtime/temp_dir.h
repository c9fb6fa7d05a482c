#pragma once
// A fresh directory per test, removed afterwards; paths handed out as GBK runtime texts.

#include "platform/encoding.h"
#include "platform/whole_files.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace runtime::test {

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "rtXXXXXX").string();
        native_ = mkdtemp(pattern.data());
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(native_, ignored);
    }

    // GBK path of name inside the directory (name is GBK too).
    std::string path(const std::string& name) const
    {
        return platform::utf8ToGbk(native_) + "/" + name;
    }
    std::string nativePath(const std::string& name) const
    {
        return native_ + "/" + platform::gbkToUtf8(name);
    }
    std::string read(const std::string& name) const
    {
        return platform::readWholeFile(nativePath(name)).value_or("<missing>");
    }
    void write(const std::string& name, const std::string& content) const
    {
        ASSERT_TRUE(platform::replaceFile(nativePath(name), content));
    }
    const std::string& native() const { return native_; }

private:
    std::string native_;
};

} // namespace runtime::test
