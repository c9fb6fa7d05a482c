// The entry point of a harness in the fuzz build: libFuzzer calls it with each input, and
// AFL++'s driver does the same when the harness is built with afl-clang-fast++.

#include "fuzz_driver.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fuzz::Harness harness = fuzz::makeHarness();
    // A wrong result is a finding like a crash: aborting makes the fuzzer keep the input.
    if (!harness.check(fuzz::Bytes(data, data + size)))
        std::abort();
    return 0;
}
