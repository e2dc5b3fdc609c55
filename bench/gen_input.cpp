// Deterministic benchmark inputs.
//
//   gen_input source SIZE PATH      source-like text: lines of 0 to 120
//                                   characters, indented by tabs, with some
//                                   double quotes and empty lines, LF ends
//   gen_input crlf SIZE PATH        the same text with CR LF line ends
//   gen_input nonascii SIZE PATH    the same lines with one character in
//                                   four outside ASCII: é, €, 中, 文 and
//                                   an emoji (2, 3 and 4 bytes of UTF-8)
//   gen_input long SIZE PATH        lines of 1 MB of the same characters
//   gen_input linefeeds SIZE PATH   nothing but line feeds
//   gen_input tree DIR              100 directories of 100 files of ~1 KiB
//
// SIZE is in bytes; a file ends at the first line end at or after it.
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

const char* const kNonAscii[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xE4\xB8\xAD", "\xE6\x96\x87", "\xF0\x9F\x98\x80"};

// `length` characters; with `nonAscii`, one in four is outside ASCII.
void appendText(std::string& line, std::uint32_t length, bool nonAscii = false) {
    for (std::uint32_t i = 0; i < length; ++i) {
        if (nonAscii && next() % 4 == 0) {
            line += kNonAscii[next() % (sizeof kNonAscii / sizeof kNonAscii[0])];
        } else {
            line += (next() % 40 == 0) ? '"' : kText[next() % (sizeof kText - 1)];
        }
    }
}

// Writes lines until at least `size` bytes are out.
void writeSource(std::FILE* out, std::uint64_t size, bool crlf, bool nonAscii = false) {
    std::string line;
    std::uint64_t written = 0;
    while (written < size) {
        line.clear();
        std::uint32_t kind = next() % 10;
        if (kind != 0) {
            line.append(next() % 4, '\t');
            appendText(line, next() % 121, nonAscii);
        }
        line += crlf ? "\r\n" : "\n";
        std::fwrite(line.data(), 1, line.size(), out);
        written += line.size();
    }
}

void writeLongLines(std::FILE* out, std::uint64_t size) {
    std::string line;
    for (std::uint64_t written = 0; written < size; written += line.size()) {
        line.clear();
        appendText(line, 1000000 - 1);
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), out);
    }
}

void writeLineFeeds(std::FILE* out, std::uint64_t size) {
    const std::string block(1 << 16, '\n');
    for (std::uint64_t written = 0; written < size; written += block.size()) {
        std::fwrite(block.data(), 1, size - written < block.size() ? size - written : block.size(), out);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4) {
        std::string kind = argv[1];
        std::uint64_t size = std::strtoull(argv[2], nullptr, 10);
        if (kind != "source" && kind != "crlf" && kind != "nonascii" && kind != "long" && kind != "linefeeds") goto usage;
        std::FILE* out = std::fopen(argv[3], "wb");
        if (out == nullptr) return 1;
        if (kind == "long") {
            writeLongLines(out, size);
        } else if (kind == "linefeeds") {
            writeLineFeeds(out, size);
        } else {
            writeSource(out, size, kind == "crlf", kind == "nonascii");
        }
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
                writeSource(out, 1000, false);
                if (std::fclose(out) != 0) return 1;
            }
        }
        return 0;
    }
usage:
    std::fprintf(stderr, "usage: gen_input source|crlf|nonascii|long|linefeeds SIZE PATH | gen_input tree DIR\n");
    return 2;
}
