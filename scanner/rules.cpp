#include "scanner/rules.h"

void writePrologue() {
    if (formWriterOn) {
        formWriter.prologue();
        return;
    }
    rule_text::writeFixed(rule_text::kPrologue);
    inString = 1;
}

void writeEpilogue() {
    if (formWriterOn) {
        formWriter.epilogue();
        return;
    }
    if (inString == 1) {
        rule_text::writeFixed(rule_text::kEpilogue);
    } else {
        rule_text::writeFixed(rule_text::kEmptyLastOperand);
    }
}

namespace rule_text {

namespace {
constexpr std::size_t kPieceLength = sizeof kBareContinuation - 1;
constexpr std::size_t kBlockPieces = 64;
struct Pieces {
    char text[kBlockPieces * kPieceLength];
};
constexpr Pieces repeatedBareContinuation() {
    Pieces pieces{};
    for (std::size_t i = 0; i < sizeof pieces.text; ++i) pieces.text[i] = kBareContinuation[i % kPieceLength];
    return pieces;
}
constexpr Pieces kBareContinuations = repeatedBareContinuation();
}  // namespace

void writeBareContinuations(std::size_t count) {
    while (count > 0) {
        std::size_t pieces = count < kBlockPieces ? count : kBlockPieces;
        scan_out->writeRaw(kBareContinuations.text, pieces * kPieceLength);
        count -= pieces;
    }
}

}  // namespace rule_text
