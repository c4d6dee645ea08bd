#pragma once
// "Report.txt" of a list conversion: what happened to each parameter that
// was new, dropped or redefined in the target version. CR LF line ends.
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

enum class ConversionCase {
    NewParameter = 1,  // only in the target version: asks for a value
    NotFound = 2,      // only in the source version: informs
    NotIdentical = 3,  // defined differently: asks for a value
};

class ConversionReport {
public:
    ConversionReport(std::string_view sourcePath, std::string_view sourceVersion, std::string_view newPath,
                     std::string_view targetVersion);

    // "0013 - Not identical", "0050 - New parameter in A12.40", ...
    void add(std::uint16_t number, ConversionCase kind);
    // The text up to now (header and case lines).
    const std::string& text() const { return text_; }
    // The complete report with its closing lines.
    std::string finished() const { return text_ + "\r\n\r\nEND OF REPORT"; }

private:
    std::string targetVersion_;
    std::string text_;
};

}  // namespace kestrel
