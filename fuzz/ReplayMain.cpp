// Replay driver: runs a fuzz target's LLVMFuzzerTestOneInput over every file
// under the given folders (corpus and regressions), so they become ordinary
// tests built with any compiler. A missing folder fails the run.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        if (!std::filesystem::is_directory(argv[i])) {
            std::fprintf(stderr, "replay: %s is not a folder\n", argv[i]);
            return 1;
        }
        for (const auto &entry : std::filesystem::recursive_directory_iterator(argv[i])) {
            if (!entry.is_regular_file())
                continue;
            std::ifstream file(entry.path(), std::ios::binary);
            // A block of exactly the input's size, as libFuzzer passes.
            const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
            std::fprintf(stderr, "replay: %s (%zu bytes)\n", entry.path().c_str(), bytes.size());
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++inputs;
        }
    }
    std::printf("replay: %d inputs ran\n", inputs);
    return 0;
}
