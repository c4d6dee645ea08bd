#pragma once
// The serial communications control, on our serial layer. It keeps the
// properties the telegram object uses (port number, settings string, buffer
// sizes, open state, handshaking, receive threshold, RTS, CTS, buffer counts,
// output, input) and reports break and framing errors as the control's
// communication events.
//
// By default the port number names a device through platform::comPortDevice;
// attach() puts any SerialPort (a memory line end in tests and the demo) in
// its place.
#include <platform/LineLock.h>
#include <platform/SerialPort.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kestrel {

// Communication events of the control, as its OnComm handler sees them.
enum CommEvent : int {
    comEvSend = 1,
    comEvReceive = 2,
    comEventBreak = 1001,
    comEventFrame = 1004,
    comEventOverrun = 1006,
    comEventRxParity = 1009,
};

// Error numbers the control raises.
enum CommError : int {
    commErrNone = 0,
    commErrInvalidProperty = 380,   // e.g. a settings string it cannot parse
    commErrInvalidPort = 8002,
    commErrPortOpen = 8005,
    commErrHardware = 8010,         // the device does not exist or is refused
    commErrNotOpen = 8012,
    commErrSetState = 8015,
    commErrIo = 8020,
};

class CMSComm {
public:
    CMSComm();
    ~CMSComm();
    CMSComm(const CMSComm&) = delete;
    CMSComm& operator=(const CMSComm&) = delete;

    // Use this port instead of opening the device of the port number. The
    // control does not own it; nullptr goes back to the device.
    void attach(platform::SerialPort* port);

    void SetCommPort(short n) { commPort_ = n; }
    short GetCommPort() const { return commPort_; }
    // "9600,N,8,1": baud, parity (N, E, O, M, S), data bits, stop bits (1, 2).
    bool SetSettings(const std::string& settings);
    const std::string& GetSettings() const { return settingsText_; }
    void SetInBufferSize(short n) { inBufferSize_ = n > 0 ? n : 1; }
    void SetOutBufferSize(short n) { outBufferSize_ = n > 0 ? n : 1; }
    short GetInBufferSize() const { return inBufferSize_; }
    void SetHandshaking(int mode) { handshaking_ = mode; }
    void SetRThreshold(int n) { rThreshold_ = n; }

    bool SetPortOpen(bool open);
    bool GetPortOpen() const;
    // While the port is open the control holds the device's line lock, so no
    // other program takes the line between two telegrams. A port refused for
    // that raises commErrPortOpen and lineHolder() names who has the line.
    // Off for an owner that holds the line itself for longer (a backup run).
    void SetLineLocking(bool on) { lineLocking_ = on; }
    const std::string& lineHolder() const { return lineHolder_; }

    bool SetRTSEnable(bool on);
    bool GetRTSEnable() const { return rts_; }
    // A line without modem lines (a pseudo-terminal) has nobody to report the
    // direction back, so there CTS follows our own RTS.
    bool GetCTSHolding();

    int GetInBufferCount();
    int GetOutBufferCount();
    // Discards everything received (the control's InBufferCount = 0).
    void SetInBufferCount(int zero);
    bool SetOutput(const std::string& bytes);
    // Everything the input buffer holds (at most the input buffer size).
    std::string GetInput();

    // The OnComm handler; events are collected whenever the control is used.
    void setEventHandler(std::function<void(int)> handler) { onComm_ = std::move(handler); }
    int CommEventCode() const { return lastEvent_; }

    // The last error raised, 0 when none since ClearError.
    int lastError() const { return lastError_; }
    // Why the last open failed, naming the device and the remedy; empty
    // after an open that worked.
    const std::string& problem() const { return problem_; }
    // Extra reply time the open line needs (a network hop); 0 when closed.
    uint32_t latencyAllowanceMs() const { return open_ ? line()->latencyAllowanceMs() : 0; }
    void ClearError() { lastError_ = commErrNone; }

    // Parses a settings string; false when it is not one.
    static bool parseSettings(const std::string& text, platform::SerialSettings& out);

private:
    platform::SerialPort* line() const { return attached_ ? attached_ : owned_.get(); }
    bool raise(int error);
    void collectEvents();
    bool applySettings();

    platform::SerialPort* attached_ = nullptr;
    std::unique_ptr<platform::SerialPort> owned_;
    short commPort_ = 1;
    std::string settingsText_ = "9600,N,8,1";
    platform::SerialSettings settings_;
    short inBufferSize_ = 1024;
    short outBufferSize_ = 512;
    int handshaking_ = 0;
    int rThreshold_ = 0;
    bool open_ = false;
    bool rts_ = false;
    int lastEvent_ = 0;
    int lastError_ = commErrNone;
    std::string problem_;
    std::function<void(int)> onComm_;
    bool lineLocking_ = true;
    platform::LineLock lineLock_;
    std::string lineHolder_;
};

}  // namespace kestrel
