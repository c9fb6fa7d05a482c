#include "app/manual.h"

#include <filesystem>

namespace app {

runtime::Text manualAddress(std::string_view programDirectory)
{
    // Only "/" separates here, and no GBK byte of a name is a "/", so the bytes normalise as
    // they are. Path arithmetic only: the disk is never asked.
    std::filesystem::path page
        = std::filesystem::path(programDirectory) / "../share/doc/dancehall/manual/index.html";
    return "file://" + page.lexically_normal().string();
}

} // namespace app
