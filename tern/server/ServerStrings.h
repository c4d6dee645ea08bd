#pragma once
// The server's own result codes and its string table. Codes above 0x8FFF are
// usage errors of the server itself and always fail the call; Modbus result
// codes (0x8FFF and below) come from the engine. Either becomes the HRESULT
// and out-value 0x80040200 + code.
#include <tern/automation/OleTypes.h>

#include <cstdint>
#include <optional>
#include <string>

namespace tern::server {

namespace usage {
constexpr uint16_t kNotOpened = 0x9001;        // the object has no connection
constexpr uint16_t kLocalOnly = 0x9002;        // serial-only member on a TCP connection
constexpr uint16_t kRemoteOnly = 0x9003;       // TCP-only member on a serial connection
constexpr uint16_t kTypeMismatch = 0x9004;     // value type not accepted
constexpr uint16_t kArrayError = 0x9005;       // VARIANT/SAFEARRAY conversion failed
}  // namespace usage

constexpr bool isUsageError(uint16_t code) { return code > 0x8FFF; }
constexpr uint32_t kResultBase = 0x80040200;
constexpr int32_t resultValue(uint16_t code) { return code == 0 ? 0 : static_cast<int32_t>(kResultBase + code); }
constexpr HRESULT resultHResult(uint16_t code) { return makeHResult(kResultBase + code); }

// String resources: 100 the module name, 101..105 the usage errors.
constexpr unsigned kModuleNameString = 100;
std::optional<std::string> LoadString(unsigned id);
// The text of a usage error; "Unknown Error" when the table has none.
std::string usageErrorText(uint16_t code);

}  // namespace tern::server
