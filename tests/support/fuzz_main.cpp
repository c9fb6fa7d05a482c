// The command line of a harness in the normal build (fuzz_driver.h), run by CTest:
//   NAME DIR [MUTATIONS [SEED]] | NAME FILE | NAME --write-seeds DIR

#include "fuzz_driver.h"

int main(int argc, char** argv)
{
    const fuzz::Harness harness = fuzz::makeHarness();
    if (argc == 3 && std::string(argv[1]) == "--write-seeds" && harness.seeds) {
        for (const auto& [name, bytes] : harness.seeds())
            fuzz::writeFile(std::filesystem::path(argv[2]) / name, bytes);
        return 0;
    }
    const int result = fuzz::runHarness(argc, argv, harness.name, harness.options, harness.check);
    if (harness.summary)
        harness.summary();
    return result;
}
