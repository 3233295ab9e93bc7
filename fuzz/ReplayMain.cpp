// Replay driver: runs a fuzz target's LLVMFuzzerTestOneInput over every file in
// the given files and directories, so corpora and crash reproducers become
// ordinary tests built with any compiler.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) __attribute__((weak));

namespace fs = std::filesystem;

int main(int argc, char **argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);

    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg(argv[i]);
        if (fs::is_directory(arg)) {
            for (const auto &entry : fs::recursive_directory_iterator(arg))
                if (entry.is_regular_file() && entry.path().filename().string().rfind('.', 0) != 0)
                    inputs.push_back(entry.path());
        } else if (fs::is_regular_file(arg)) {
            inputs.push_back(arg);
        } else {
            std::fprintf(stderr, "replay: skipping missing %s\n", argv[i]);
        }
    }
    std::sort(inputs.begin(), inputs.end());

    for (const auto &path : inputs) {
        std::ifstream file(path, std::ios::binary);
        // A block of exactly the input's size, as libFuzzer passes.
        std::vector<std::uint8_t> exact(static_cast<std::size_t>(fs::file_size(path)));
        file.read(reinterpret_cast<char *>(exact.data()), static_cast<std::streamsize>(exact.size()));
        std::fprintf(stderr, "replay: %s (%zu bytes)\n", path.c_str(), exact.size());
        LLVMFuzzerTestOneInput(exact.data(), exact.size());
    }
    std::printf("replay: %zu inputs ran\n", inputs.size());
    return 0;
}
