#pragma once
// The telegram object: the only code that builds, sends, receives and checks
// SIO telegrams. One process-wide instance, created by the main frame; it
// owns the serial control. Every exchange runs to its end on the calling
// thread; every wait inside it is bounded by the fixed time-outs and the
// timing settings.
//
//   read request   EOT A 'U' P1..P4 ENQ
//   read reply     L STX 'U' P1..P4 V1..V4 ETX BCC
//   write request  EOT A STX 'U' P1..P4 V1..V4 ETX BCC
//   write reply    ACK or NAK
//   block reply    L STX 'U' P1..P4 D1..D40 ETX BCC
// A = 0x20 + address; BCC = XOR of 'U' .. ETX. In RTS mode the request comes
// back as an echo ahead of the reply.
#include <kestrel/core/CMSComm.h>
#include <kestrel/core/ParameterNumbers.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

class CTelegram {
public:
    // Fixed waits (ms).
    static constexpr uint32_t kLineReadyMs = 1000;
    static constexpr uint32_t kDrainMs = 1000;
    static constexpr uint32_t kFirstCharMs = 10;
    static constexpr uint32_t kBlockReplyMs = 1000;
    static constexpr int kBufferSize = 2000;
    static constexpr int kReadReplyFrame = 10;   // STX to ETX of a read reply
    static constexpr int kBlockReplyFrame = 46;  // STX to ETX of a block reply

    // Result of Send.
    enum SendResult { SendLineNotReady = -1, SendNotDrained = 0, SendDone = 1 };

    CTelegram();
    CTelegram(const CTelegram&) = delete;
    CTelegram& operator=(const CTelegram&) = delete;

    // The control is created with the object; kept for the frame's start-up.
    bool Create() { return true; }
    CMSComm& control() { return control_; }

    bool OpenPort(bool poll);
    bool ClosePort(bool poll);
    bool IsPortBusy(bool poll);
    // Claims the port for a foreground operation: IsPortBusy(false) until it
    // answers false, for at most ms. False when the port stayed busy.
    static constexpr uint32_t kPortWaitMs = 5000;
    bool WaitForPort(uint32_t ms = kPortWaitMs);

    bool ReadParameter(std::string_view number);
    bool WriteParameter(std::string_view text);
    int ProbeAddress(std::string_view number);
    bool ReadBlock(std::string_view number);

    void SetRepeat(int n) { repeat_ = n; }
    void ResetRepeat();
    int repeat() const { return repeat_; }

    uint32_t LineErrors() const { return lineErrors_; }
    void ClearLineErrors() { lineErrors_ = 0; }

    const std::string& valueText() const { return valueText_; }
    const std::string& paramNo() const { return paramNo_; }
    const std::string& reply() const { return reply_; }
    const std::string& replyTail() const { return replyTail_; }
    int status() const { return status_; }

    // The control raised an error since the last OpenPort (a port that could
    // not be opened, a device that went away).
    bool portError() const { return control_.lastError() != commErrNone; }
    // Why the port could not be opened (device and remedy); empty when it opened.
    const std::string& portProblem() const { return control_.problem(); }
    // Discards whatever the input buffer holds.
    void DiscardInput();

    // The control's communication events land here.
    void OnComm(int event);

    // Telegram builders (the exact bytes on the wire).
    static char addressCharacter(std::string_view decimalAddress);
    static std::string readRequest(char address, std::string_view number);
    static std::string writeRequest(char address, std::string_view text);
    static char bcc(std::string_view text);

private:
    int Send(const std::string& request);
    void raiseRts();
    void dropRts();
    bool lineReady();
    void takeInput();
    bool receiveReadReply(std::string_view number);
    bool receiveBlockReply(std::string_view number);
    bool readAttempts(std::string_view number, bool (CTelegram::*receive)(std::string_view));
    bool framingOk(std::string_view number, int distance, bool checkNumber) const;
    size_t searchStart() const;
    std::string currentReadRequest(std::string_view number) const;
    bool rtsMode() const;

    CMSComm control_;
    std::string valueText_;
    std::string paramNo_;
    std::string reply_;
    std::string replyTail_;
    int repeat_ = 8;
    int status_ = 0;
    uint32_t lineErrors_ = 0;
    bool rtsShadow_ = false;
};

}  // namespace kestrel
