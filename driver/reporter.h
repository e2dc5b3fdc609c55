// Everything a run says on standard error goes through one reporter: the
// progress lines, size changes and summary (which -s silences), the
// directory trace, the notices of what was passed over, and the failure
// that ends the run. Names and values a user gave are escaped (shownName)
// wherever they are shown, so none can act on the terminal.
#pragma once

#include <cstdint>
#include <string>

#include "driver/failure.h"
#include "platform/byte_channel.h"

class Reporter {
public:
    // `quiet`: no progress lines, size changes or summary.
    Reporter(platform::ByteSink& out, bool quiet) : out_(out), quiet_(quiet) {}

    // "Parsing de PATH (N octets) ... ", the line left open.
    void progress(const std::string& path, std::int64_t size);
    // Ends the progress line.
    void endProgressLine();
    // The size change of a replaced file: "(delta:+1/+10%)".
    void sizeChange(std::int64_t in, std::int64_t out);
    // "N fichiers parsés", with the size change of them all when asked.
    void summary(int files, bool withSizeChange, std::int64_t in, std::int64_t out);
    // -d: "DIR - PATTERNS", also under -s.
    void directory(const std::string& dir, const std::string& patterns);
    // Why an input or an entry was passed over, also under -s.
    void notice(const Notice& notice);
    // The failure that ends the run: its text, and the system's reason when
    // it has one. Its text is shown as it stands: whoever made it escaped
    // the names in it.
    void failure(const Failure& failure);
    // A line as it stands (a refusal of the command line, a diagnostic).
    void line(const std::string& text);

private:
    void write(const std::string& text);

    platform::ByteSink& out_;
    bool quiet_;
};

// Standard error, for the reporter of the tool.
class StandardError final : public platform::ByteSink {
public:
    bool write(const char* data, std::size_t length) override;
};
