// Runs a fuzz target's LLVMFuzzerTestOneInput over files without libFuzzer,
// so each corpus is also a plain test in every build (native, sanitizer,
// Windows). Arguments are files or folders (their files, in name order).
// A crash or sanitizer report ends the program; otherwise it exits 0.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& argument)
{
    std::vector<std::filesystem::path> inputs;
    if (std::filesystem::is_directory(argument)) {
        for (const auto& entry : std::filesystem::directory_iterator(argument))
            if (entry.is_regular_file())
                inputs.push_back(entry.path());
        std::sort(inputs.begin(), inputs.end());
    } else {
        inputs.push_back(argument);
    }
    return inputs;
}

}  // namespace

int main(int argc, char** argv)
{
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto& path : InputsOf(argv[i])) {
            std::ifstream in(path, std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
                return 1;
            }
            const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            // A fresh copy of exactly the input's size, so that an over-read
            // is a sanitizer report as under libFuzzer.
            std::vector<uint8_t> data(bytes.begin(), bytes.end());
            LLVMFuzzerTestOneInput(data.empty() ? nullptr : data.data(), data.size());
            ++count;
        }
    }
    std::printf("%d inputs replayed\n", count);
    return count > 0 ? 0 : 1;
}
