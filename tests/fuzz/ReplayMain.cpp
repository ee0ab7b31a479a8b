// Replays every file of the corpus directories given through a fuzz target, so
// the regular test run (and its sanitizer build) re-checks what fuzzing found.
// A directory that is missing or holds no file fails the run: a mistyped path
// or an emptied corpus must not pass as a clean replay.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    size_t total = 0;
    for (int i = 1; i < argc; ++i) {
        size_t count = 0;
        std::error_code ec;
        for (fs::recursive_directory_iterator it(argv[i], ec), end; !ec && it != end; it.increment(ec)) {
            if (!it->is_regular_file())
                continue;
            std::ifstream in(it->path(), std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++count;
        }
        if (ec || count == 0) {
            fprintf(stderr, "%s: no corpus files found%s%s\n", argv[i], ec ? ": " : "", ec ? ec.message().c_str() : "");
            return 1;
        }
        total += count;
    }
    if (total == 0) {
        fprintf(stderr, "usage: %s CORPUS_DIRECTORY...\n", argv[0]);
        return 1;
    }
    printf("replayed %zu inputs\n", total);
    return 0;
}
