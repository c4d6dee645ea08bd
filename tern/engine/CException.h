#pragma once
// Root of the exceptions the engine can throw (the framework's CException):
// a text, a code, and the message "<text> error #<code>".
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

namespace tern {

class CException : public std::exception {
public:
    CException(std::string text, int32_t code);

    const std::string& text() const { return text_; }
    int32_t code() const { return code_; }

    // "%s error #%d", or "%s error" for code 0, cut to size - 1 characters.
    // Reports success like the framework call.
    bool GetErrorMessage(char* buffer, size_t size) const;
    std::string errorMessage() const;
    const char* what() const noexcept override { return message_.c_str(); }
    virtual const char* GetRuntimeClassName() const = 0;

private:
    std::string text_;
    int32_t code_;
    std::string message_;
};

}  // namespace tern
