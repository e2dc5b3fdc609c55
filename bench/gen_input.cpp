// Deterministic benchmark inputs: source-like text with lines of 0 to 120
// characters, some double quotes and empty lines.
//
//   gen_input file SIZE PATH [crlf]   one file of SIZE bytes (about)
//   gen_input tree DIR                100 directories of 100 files of ~1 KiB
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

std::uint64_t state = 0x9E3779B97F4A7C15ULL;

std::uint32_t next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<std::uint32_t>(state >> 11);
}

const char kText[] = "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJ 0123456789 ();=<>+-*/.,:_ ";

// Writes lines until at least `size` bytes are out.
void writeText(std::FILE* out, std::uint64_t size, bool crlf) {
    std::string line;
    std::uint64_t written = 0;
    while (written < size) {
        line.clear();
        std::uint32_t kind = next() % 10;
        std::uint32_t length = kind == 0 ? 0 : next() % 121;
        for (std::uint32_t i = 0; i < length; ++i) {
            line += (next() % 40 == 0) ? '"' : kText[next() % (sizeof kText - 1)];
        }
        line += crlf ? "\r\n" : "\n";
        std::fwrite(line.data(), 1, line.size(), out);
        written += line.size();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "file") == 0) {
        std::uint64_t size = std::strtoull(argv[2], nullptr, 10);
        std::FILE* out = std::fopen(argv[3], "wb");
        if (out == nullptr) return 1;
        writeText(out, size, argc > 4 && std::strcmp(argv[4], "crlf") == 0);
        return std::fclose(out) == 0 ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "tree") == 0) {
        std::string root = argv[2];
        mkdir(root.c_str(), 0755);
        for (int d = 0; d < 100; ++d) {
            std::string dir = root + "/d" + std::to_string(d);
            mkdir(dir.c_str(), 0755);
            for (int f = 0; f < 100; ++f) {
                std::string path = dir + "/f" + std::to_string(f) + ".txt";
                std::FILE* out = std::fopen(path.c_str(), "wb");
                if (out == nullptr) return 1;
                writeText(out, 1000, false);
                if (std::fclose(out) != 0) return 1;
            }
        }
        return 0;
    }
    std::fprintf(stderr, "usage: gen_input file SIZE PATH [crlf] | gen_input tree DIR\n");
    return 2;
}
