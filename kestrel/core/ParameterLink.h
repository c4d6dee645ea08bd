#pragma once
// The one thing the list operations need from a drive: read and write a
// parameter as four hexadecimal digits. The windows implement it over the
// telegram object (claiming the line, opening and closing the port around
// each use); tests implement it with a scripted drive.
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

class ParameterLink {
public:
    struct Reply {
        std::string number;  // 4 digits; for "FFFC" the number the drive names
        std::string value;   // 4 digits
    };
    virtual ~ParameterLink() = default;
    // nullopt when the drive did not answer.
    virtual std::optional<Reply> read(std::string_view number) = 0;
    // `text` is the 4-digit number followed by the 4-digit value; true when
    // the drive acknowledged.
    virtual bool write(std::string_view text) = 0;
    // True while another operation holds the line: an online list then
    // skips its single read instead of waiting.
    virtual bool busy() const { return false; }
};

}  // namespace kestrel
