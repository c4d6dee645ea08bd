#include <kestrel/core/ConversionReport.h>

#include <kestrel/core/HexText.h>

namespace kestrel {

ConversionReport::ConversionReport(std::string_view sourcePath, std::string_view sourceVersion,
                                   std::string_view newPath, std::string_view targetVersion)
    : targetVersion_(targetVersion)
{
    const std::string crlf = "\r\n";
    text_ = "LIST CONVERSION REPORT" + crlf + crlf;
    text_ += "From list -  " + std::string(sourcePath) + crlf;
    text_ += "             ( Version - " + std::string(sourceVersion) + " )" + crlf;
    text_ += "To        -  " + std::string(newPath) + crlf;
    text_ += "             ( Version - " + std::string(targetVersion) + " )" + crlf + crlf;
}

void ConversionReport::add(std::uint16_t number, ConversionCase kind)
{
    text_ += formatHex4(number);
    switch (kind) {
    case ConversionCase::NewParameter: text_ += " - New parameter in " + targetVersion_; break;
    case ConversionCase::NotFound: text_ += " - not found in " + targetVersion_; break;
    case ConversionCase::NotIdentical: text_ += " - Not identical"; break;
    }
    text_ += "\r\n";
}

}  // namespace kestrel
