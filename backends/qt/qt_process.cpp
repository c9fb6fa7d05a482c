#include "backends/qt/qt_process.h"

#include <cstdio>
#include <cstdlib>

namespace platform::qt {

void QtProcess::end(int exitCode)
{
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

} // namespace platform::qt
