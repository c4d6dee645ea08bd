#pragma once
// An in-memory link for tests and demonstrations without a link server: a
// set of drives, each a map of register offsets to values, with failures
// that can be set per register or for every write, and a record of every
// register call in order.
//
// A station that was never added does not answer (time-out); a register a
// drive does not hold answers with exception 2; station 0 is the broadcast
// address: a write there reaches every drive and, like on the wire, gets no
// answer. Register calls on a closed link fail as a closed port does.
#include <merlin/core/CModbusLink.h>

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace merlin {

class CFakeLink : public CModbusLink {
public:
    struct Call {
        enum class Kind { Read, Write };
        Kind kind;
        int station;
        int registerOffset;
        uint16_t value;  // written, or read on success
        int result;
        int retries;     // retries in force at the time of the call
    };
    // Decides a write before it is stored: a non-zero result refuses it.
    using WriteHook = std::function<int(int station, int registerOffset, uint16_t value)>;

    explicit CFakeLink(LinkSettings settings = {});

    bool OpenLink() override;
    bool OpenLinkWithTimeout(uint32_t timeoutMs) override;
    void CloseLink() override;
    void SetRetries(int retries) override { retries_ = retries; }
    void RestoreRetries() override { retries_ = settings_.retries; }
    int ReadRegister(int station, int registerOffset, uint16_t& value) override;
    int WriteRegister(int station, int registerOffset, uint16_t value) override;

    void addStation(int station);
    void setRegister(int station, int registerOffset, uint16_t value);
    std::optional<uint16_t> registerValue(int station, int registerOffset) const;
    // A result other than 0 for every read (or write) of one register; 0 clears it.
    void setReadResult(int station, int registerOffset, int result);
    void setWriteResult(int station, int registerOffset, int result);
    void setWriteHook(WriteHook hook) { writeHook_ = std::move(hook); }
    // Makes OpenLink fail as a link server that cannot be reached does.
    void setServerMissing(bool missing) { serverMissing_ = missing; }

    bool isOpen() const { return open_; }
    uint32_t openTimeoutMs() const { return openTimeoutMs_; }
    int retries() const { return retries_; }
    const std::vector<Call>& calls() const { return calls_; }
    std::vector<Call> writes() const;
    void clearCalls() { calls_.clear(); }

private:
    using Key = std::pair<int, int>;
    int readResult(int station, int registerOffset) const;
    int writeResult(int station, int registerOffset, uint16_t value) const;
    int record(Call::Kind kind, int station, int registerOffset, uint16_t value, int result);

    LinkSettings settings_;
    int retries_;
    bool open_ = false;
    bool serverMissing_ = false;
    uint32_t openTimeoutMs_ = 0;
    std::map<int, std::map<int, uint16_t>> drives_;
    std::map<Key, int> readResults_;
    std::map<Key, int> writeResults_;
    WriteHook writeHook_;
    std::vector<Call> calls_;
};

}  // namespace merlin
