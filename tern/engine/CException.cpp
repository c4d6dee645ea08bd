#include <tern/engine/CException.h>

#include <algorithm>
#include <cstring>

namespace tern {

CException::CException(std::string text, int32_t code) : text_(std::move(text)), code_(code) {
    message_ = text_ + " error";
    if (code_ != 0) message_ += " #" + std::to_string(code_);
    // The framework formats into a 200-character scratch buffer.
    if (message_.size() > 199) message_.resize(199);
}

std::string CException::errorMessage() const { return message_; }

bool CException::GetErrorMessage(char* buffer, size_t size) const {
    if (buffer == nullptr || size == 0) return true;
    const size_t n = std::min(message_.size(), size - 1);
    std::memcpy(buffer, message_.data(), n);
    buffer[n] = '\0';
    return true;
}

}  // namespace tern
