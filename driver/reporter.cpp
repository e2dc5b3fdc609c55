#include "driver/reporter.h"

#include <cinttypes>
#include <cstdio>

#include "driver/shown_name.h"
#include "driver/size_delta.h"
#include "platform/console.h"

namespace {

const char* reasonText(PassedOver why) {
    switch (why) {
        case PassedOver::Link:
            return "lien symbolique";
        case PassedOver::Vanished:
            return "fichier disparu";
        case PassedOver::Special:
            return "fichier sp" TXT2VB_E_ACUTE "cial";
        case PassedOver::Binary:
            return "fichier binaire";
        case PassedOver::OwnOutput:
            return "fichier de sortie";
        case PassedOver::Directory:
            return "r" TXT2VB_E_ACUTE "pertoire";
        case PassedOver::ReadOnly:
            return "ReadOnly";
        default:
            return "";
    }
}

}  // namespace

void Reporter::progress(const std::string& path, std::int64_t size) {
    if (quiet_) return;
    char count[32];
    std::snprintf(count, sizeof count, "%" PRId64, size);
    write("Parsing de " + shownName(path) + " (" + count + " octets) ... ");
}

void Reporter::endProgressLine() {
    if (!quiet_) write("\n");
}

void Reporter::sizeChange(std::int64_t in, std::int64_t out) {
    if (!quiet_) write(formatDelta(in, out));
}

void Reporter::summary(int files, bool withSizeChange, std::int64_t in, std::int64_t out) {
    if (quiet_) return;
    std::string line = std::to_string(files) + " fichiers pars" TXT2VB_E_ACUTE "s";
    if (withSizeChange) line += " " + formatDelta(in, out);
    write(line + "\n");
}

void Reporter::directory(const std::string& dir, const std::string& patterns) {
    write(shownName(dir) + " - " + shownName(patterns) + "\n");
}

void Reporter::notice(const Notice& notice) {
    const std::string path = shownName(notice.path);
    const std::string detail = shownName(notice.detail);
    switch (notice.why) {
        case PassedOver::None:
        case PassedOver::OwnFile:
            return;
        case PassedOver::NameTaken:
            write("!!! Parsing impossible de " + path + " (" + detail + " existe)\n");
            return;
        case PassedOver::NotRemoved:
            write("!!! Suppression impossible de " + path + ": " + detail + "\n");
            return;
        case PassedOver::NotExpression:
            write("!!! Parsing impossible de " + path + " (" + detail + ")\n");
            return;
        case PassedOver::Unreadable:
            write("!!! Lecture impossible de " + path + ": " + detail + "\n");
            return;
        default:
            write("!!! Parsing impossible de " + path + " (" + reasonText(notice.why) + ")\n");
    }
}

void Reporter::failure(const Failure& failure) {
    if (!failure.showsSystemError) {
        write(failure.text + "\n");
        return;
    }
    // The system-error printer: the text and ": " (both left out for an
    // empty text), the system's reason, a newline.
    std::string line = failure.text.empty() ? "" : failure.text + ": ";
    write(line + platform::errorText(failure.error) + "\n");
}

void Reporter::line(const std::string& text) { write(text); }

void Reporter::write(const std::string& text) { out_.write(text.data(), text.size()); }

bool StandardError::write(const char* data, std::size_t length) {
    platform::writeStandardError(data, static_cast<unsigned long>(length));
    return true;
}
