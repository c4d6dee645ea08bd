#include <tern/engine/CLocalModbus.h>

#include <tern/engine/ModbusChecksum.h>

#include <platform/Clock.h>
#include <platform/PortMap.h>
#include <platform/MappedSerialPort.h>

#include <algorithm>

namespace tern {
namespace {

using platform::SerialResult;

constexpr size_t kRtuReceiveBuffer = 512;
constexpr size_t kAsciiTransferBuffer = 1024;
constexpr uint8_t kExceptionFunction = 0x81;   // function codes from here on are exception responses

bool isOk(SerialResult r) { return r == SerialResult::Ok; }
// Modbus lines a pseudo-terminal lacks are no reason to refuse the port.
bool isOkOrUnsupported(SerialResult r) { return r == SerialResult::Ok || r == SerialResult::Unsupported; }

}  // namespace

CLocalModbus::CLocalModbus()
    : ownedPort_(std::make_unique<platform::MappedSerialPort>()), port_(ownedPort_.get()) {}

CLocalModbus::CLocalModbus(platform::SerialPort& port) : port_(&port) {}

CLocalModbus::~CLocalModbus() {
    if (IsOpen()) port_->close();
}

uint32_t CLocalModbus::characterTime(uint8_t byteSize, uint32_t baudRate) {
    if (baudRate == 0) return 1;
    return std::max<uint32_t>(1, (byteSize + 4u) * 1000u / baudRate);
}

uint32_t CLocalModbus::silentTime(uint8_t byteSize, uint32_t baudRate) {
    if (baudRate == 0) return 0;
    return (byteSize + 4u) * 4000u / baudRate;
}

// Open only once we opened it: an injected port may come open already,
// without our settings and time-outs.
bool CLocalModbus::IsOpen() const { return opened_ && port_->isOpen(); }

bool CLocalModbus::Close() {
    Lock lock(*this);
    if (!lock.owns() || !closePort()) return false;
    lineLock_.release();
    return true;
}

bool CLocalModbus::closePort() {
    // An exchange running on another thread keeps the port until it is done.
    Lock lock(*this);
    if (!lock.owns()) return false;
    if (!IsOpen()) {
        opened_ = false;
        return true;
    }
    if (!isOk(port_->close())) return false;
    opened_ = false;
    return true;
}

// Only a device this engine opens itself: an injected port is its owner's.
bool CLocalModbus::holdLine(const std::string& device) {
    if (!ownedPort_ || (lineLock_.held() && lineLock_.device() == device)) return true;
    std::string holder;
    return lineLock_.take(device, lineDetail_, holder);
}

bool CLocalModbus::Open(uint8_t port, uint32_t baud, uint8_t parity) {
    Lock lock(*this);
    if (!lock.owns() || !closePort()) return false;
    const uint8_t number = port == 0 ? comPort_.load() : port;
    if (number < 1 || number > 8) {
        lineLock_.release();
        return false;
    }
    comPort_ = number;
    const std::string device = platform::comPortDevice(number);
    if (!holdLine(device)) return false;
    if (!isOk(port_->open(device))) {
        lineLock_.release();
        return false;
    }
    opened_ = true;

    baudRate_ = baud == 0 ? baudRate_.load() : baud;
    parity_ = parity == 255 ? parity_.load() : parity;
    const uint32_t ts = silentTime(byteSize_, baudRate_);
    if (silentInterval_ != 0 && ts > silentInterval_) silentInterval_ = ts;
    return configurePort() && isOk(port_->setTimeouts(exchangeTimeouts())) && setLineControls();
}

bool CLocalModbus::configurePort() {
    // Codes the line does not know are refused here, as SetCommState would.
    if (baudRate_ == 0 || byteSize_ < 5 || byteSize_ > 8 || parity_ > 4 || stopBits_ > 2) return false;
    platform::SerialSettings s;
    s.baudRate = baudRate_;
    s.dataBits = byteSize_;
    s.parity = static_cast<platform::Parity>(parity_.load());
    s.stopBits = static_cast<platform::StopBits>(stopBits_.load());
    s.dtrDsrFlow = (flowControl_ & kDtrDsr) != 0;
    s.rtsCtsFlow = (flowControl_ & kRtsCts) != 0;
    s.xonXoff = (flowControl_ & kXonXoff) != 0;
    return isOk(port_->configure(s));
}

bool CLocalModbus::setLineControls() {
    // Without handshake the DTR and RTS lines are simply switched on.
    const uint8_t flow = flowControl_;
    bool ok = true;
    if ((flow & kDtrDsr) == 0) ok = isOkOrUnsupported(port_->setDtr(true)) && ok;
    if ((flow & kRtsCts) == 0) ok = isOkOrUnsupported(port_->setRts(true)) && ok;
    return ok;
}

platform::CommTimeouts CLocalModbus::exchangeTimeouts() const {
    platform::CommTimeouts t;
    if (transmissionMode_ == kRtu) {
        const uint32_t tc = characterTime(byteSize_, baudRate_);
        // A network hop delays the reply and may pause inside it.
        const uint32_t allowance = port_->latencyAllowanceMs();
        t.readInterval = silentInterval_ == 0 ? 0 : silentInterval_ + allowance;
        t.readTotalMultiplier = tc;
        t.readTotalConstant = timeOut_ + allowance;
        t.writeTotalMultiplier = tc;
        t.writeTotalConstant = timeOut_;
    } else {
        // ASCII polls character by character: reads return at once.
        t.readInterval = platform::CommTimeouts::kMaxDword;
    }
    return t;
}

bool CLocalModbus::writeFrame(const uint8_t* data, size_t length) {
    if (tap_) tappedTx_.assign(data, data + length);
    size_t written = 0;
    if (!isOk(port_->purge(true, true)) || !isOk(port_->write(data, length, written)) || written != length) {
        port_->takeEvents();
        return false;
    }
    // The response can only come once the request has left the driver.
    const platform::Timeout limit(timeOut_);
    for (;;) {
        size_t queued = 0;
        if (!isOk(port_->outputQueue(queued))) return false;
        if (queued == 0) return true;
        if (limit.timedOut()) return false;
        platform::sleepMs(1);
    }
}

uint16_t CLocalModbus::Exchange(std::vector<uint8_t>& request, size_t requestLength, std::vector<uint8_t>& response,
                                size_t expectedLength, size_t* responseLength) {
    Lock lock(*this);
    if (!lock.owns()) return failed(result::kLockTimeOut);
    if (responseLength) *responseLength = 0;
    if (response.size() < expectedLength) response.resize(expectedLength);
    if (!IsOpen()) return failed(result::kPortNotOpen);
    if (request.size() < requestLength) request.resize(requestLength);
    const int64_t start = tap_ ? monotonicMicroseconds() : 0;
    const uint16_t code = transmissionMode_ == kAscii
                              ? exchangeAscii(request, requestLength, response, responseLength)
                              : exchangeRtu(request, requestLength, response, expectedLength, responseLength);
    if (tap_) tapExchange(start, code, true);
    return failed(code);
}

uint16_t CLocalModbus::exchangeRtu(std::vector<uint8_t>& request, size_t requestLength,
                                   std::vector<uint8_t>& response, size_t expectedLength, size_t* responseLength) {
    request.resize(requestLength);
    const uint16_t crc = crc16Modbus(request.data(), requestLength);
    request.push_back(static_cast<uint8_t>(crc & 0xFF));
    request.push_back(static_cast<uint8_t>(crc >> 8));
    if (!writeFrame(request.data(), request.size())) return result::kWriteError;

    std::vector<uint8_t> rx(std::max(kRtuReceiveBuffer, expectedLength + 2), 0);
    size_t received = 0;
    // The first four bytes tell a normal response from a five-byte exception.
    if (!readKnownLength(rx.data(), 4, received)) {
        port_->takeEvents();
        return result::kReadError;
    }
    if (received == 4) {
        // An exception reply is five bytes whatever was asked: waiting for
        // the expected length would hold the line for the whole total
        // time-out of a long request (a minute and more for a large bad
        // Quantity when no silent interval ends the read).
        const bool exception = rx[1] >= kExceptionFunction;
        const size_t rest = exception              ? 1
                            : expectedLength == 0 ? rx.size() - 4
                            : expectedLength + 2 > 4 ? expectedLength + 2 - 4
                                                     : 0;
        size_t more = 0;
        const bool known = exception || expectedLength != 0;
        if (rest > 0 && !(known ? readKnownLength(rx.data() + 4, rest, more) : isOk(port_->read(rx.data() + 4, rest, more)))) {
            port_->takeEvents();
            return result::kReadError;
        }
        received += more;
    }
    if (tap_) tappedRx_.assign(rx.begin(), rx.begin() + static_cast<long>(received));
    if (received == 0) return result::kTimeOut;
    const uint16_t code = decodeRtu(rx, received, expectedLength, response, responseLength);
    if (code == result::kOk) request.resize(requestLength);
    return code;
}

bool CLocalModbus::readKnownLength(uint8_t* buf, size_t length, size_t& got) {
    // On a wire a silence ends the frame. Behind a network hop the TCP stream
    // may pause anywhere in it, so where the length is known it is read to
    // the end, within the total time-out.
    const uint32_t allowance = port_->latencyAllowanceMs();
    if (allowance == 0) return isOk(port_->read(buf, length, got));
    const platform::Timeout limit(timeOut_ + allowance + characterTime(byteSize_, baudRate_) * uint32_t(length));
    got = 0;
    while (got < length) {
        size_t more = 0;
        if (!isOk(port_->read(buf + got, length - got, more))) return false;
        got += more;
        if (got == 0 || (got < length && limit.timedOut())) break;   // nothing in a whole time-out: no reply
    }
    return true;
}

uint16_t CLocalModbus::decodeRtu(const std::vector<uint8_t>& rx, size_t received, size_t expectedLength,
                                 std::vector<uint8_t>& response, size_t* responseLength) const {
    auto crcAt = [&rx](size_t n) { return static_cast<uint16_t>(rx[n] | rx[n + 1] << 8); };
    if (received >= 2 && rx[1] >= kExceptionFunction) {
        if (received >= 5 && crc16Modbus(rx.data(), 3) == crcAt(3)) return exceptionResult(rx[2]);
        return result::kCrcError;
    }
    size_t body = 0;
    if (expectedLength != 0) {
        if (received < expectedLength + 2 || crc16Modbus(rx.data(), expectedLength) != crcAt(expectedLength)) {
            return result::kCrcError;
        }
        body = expectedLength;
    } else {
        // The CRC over a whole frame, its own CRC included, is 0.
        if (received < 3 || crc16Modbus(rx.data(), received) != 0) return result::kCrcError;
        body = received - 2;
    }
    if (response.size() < body) response.resize(body);
    std::copy_n(rx.begin(), body, response.begin());
    if (responseLength) *responseLength = body;
    return result::kOk;
}

uint16_t CLocalModbus::exchangeAscii(const std::vector<uint8_t>& request, size_t requestLength,
                                     std::vector<uint8_t>& response, size_t* responseLength) {
    std::string frame(":");
    for (size_t i = 0; i < requestLength; ++i) appendHexByte(frame, request[i]);
    appendHexByte(frame, lrcModbus(request.data(), requestLength));
    frame += "\r\n";
    if (!writeFrame(reinterpret_cast<const uint8_t*>(frame.data()), frame.size())) return result::kWriteError;

    std::string rx;
    const bool read = receiveAscii(rx);
    if (tap_) tappedRx_.assign(rx.begin(), rx.end());
    if (!read) return result::kReadError;
    if (rx.empty()) return result::kTimeOut;
    const size_t length = rx.size();
    if (length < 5) return result::kCrcError;
    const size_t body = (length - 5) / 2;
    std::vector<uint8_t> bytes(body);
    for (size_t i = 0; i < body; ++i) bytes[i] = decodeHexByte(rx[1 + 2 * i], rx[2 + 2 * i]);
    if (lrcModbus(bytes.data(), body) != decodeHexByte(rx[length - 4], rx[length - 3])) return result::kCrcError;
    // A frame too short to carry the exception code reads it as 0.
    auto charAt = [&rx](size_t i) { return i < rx.size() ? rx[i] : '0'; };
    const uint8_t function = decodeHexByte(rx[3], rx[4]);
    if (function >= kExceptionFunction) return exceptionResult(decodeHexByte(charAt(5), charAt(6)));
    if (response.size() < body) response.resize(body);
    std::copy(bytes.begin(), bytes.end(), response.begin());
    if (responseLength) *responseLength = body;
    return result::kOk;
}

bool CLocalModbus::receiveAscii(std::string& rx) {
    // The frame ends with CR LF, or with a silence once characters came: the
    // first character is awaited for TimeOut. A silence shorter than a few
    // character times would cut frames that simply arrive at the baud rate.
    const uint32_t gap = std::max({silentInterval_.load(), silentTime(byteSize_, baudRate_), uint32_t{2}});
    uint32_t allowed = timeOut_;
    bool silent = false;
    uint32_t silenceStart = 0;
    uint32_t silenceEnd = 0;
    for (;;) {
        uint8_t c = 0;
        size_t got = 0;
        if (!isOk(port_->read(&c, 1, got))) {
            port_->takeEvents();
            return false;
        }
        if (got == 1) {
            rx.push_back(static_cast<char>(c));
            allowed = gap;
            silent = false;
            if (rx.size() > kAsciiTransferBuffer - 1) return false;
        } else {
            silenceEnd = platform::tickCount();
            if (!silent) silenceStart = silenceEnd;
            silent = true;
            platform::sleepMs(1);
        }
        port_->takeEvents();
        size_t queued = 0;
        if (!isOk(port_->inputQueue(queued))) return false;
        if (rx.size() > 5 && rx.ends_with("\r\n")) return true;
        if (queued == 0 && silent && silenceEnd - silenceStart >= allowed) return true;
    }
}

uint16_t CLocalModbus::RawExchange(std::span<const uint8_t> query, std::span<uint8_t> response, size_t& received,
                                   uint32_t timeOutMs) {
    Lock lock(*this);
    received = 0;
    if (!lock.owns()) return failed(result::kLockTimeOut);
    if (!IsOpen()) return failed(result::kPortNotOpen);
    const platform::CommTimeouts saved = port_->timeouts();
    const bool switched = timeOutMs != 0;
    if (switched) {
        platform::CommTimeouts atOnce;
        atOnce.readInterval = platform::CommTimeouts::kMaxDword;
        if (!isOk(port_->setTimeouts(atOnce))) return failed(result::kPortNotOpen);
    }
    uint16_t code = result::kOk;
    const int64_t start = tap_ ? monotonicMicroseconds() : 0;
    if (tap_) tappedTx_.assign(query.begin(), query.end());
    size_t written = 0;
    if (!isOk(port_->purge(true, true)) || !isOk(port_->write(query.data(), query.size(), written)) ||
        written != query.size()) {
        port_->takeEvents();
        code = result::kWriteError;
    } else {
        code = collectRaw(response, received, switched ? timeOutMs : timeOut_.load());
    }
    // Restored on every path: the framed exchanges rely on the port's own time-outs.
    if (switched && !isOk(port_->setTimeouts(saved)) && code == result::kOk) code = result::kPortNotOpen;
    if (tap_) {
        tappedRx_.assign(response.begin(), response.begin() + static_cast<long>(received));
        tapExchange(start, code, !response.empty());
    }
    return failed(code);
}

void CLocalModbus::tapExchange(int64_t startUs, uint16_t code, bool expectsReply) {
    FrameTap* tap = tap_;
    if (!tap) return;
    TappedExchange e;
    e.startUs = startUs;
    e.endUs = monotonicMicroseconds();
    e.request.swap(tappedTx_);
    e.response.swap(tappedRx_);
    e.result = code;
    e.expectsReply = expectsReply;
    e.ascii = transmissionMode_ == kAscii;
    e.baudRate = baudRate_;
    e.byteSize = byteSize_;
    tap->exchanged(e);
    tappedTx_.clear();
    tappedRx_.clear();
}

uint16_t CLocalModbus::collectRaw(std::span<uint8_t> response, size_t& received, uint32_t waitMs) {
    const platform::Timeout wait(waitMs);
    for (;;) {
        size_t queued = 0;
        if (!isOk(port_->outputQueue(queued)) || queued == 0 || wait.timedOut()) break;
        platform::sleepMs(1);
    }
    const platform::Timeout collect(waitMs);
    while (received < response.size()) {
        size_t got = 0;
        if (!isOk(port_->read(response.data() + received, 1, got))) {
            port_->takeEvents();
            return result::kReadError;
        }
        received += got;
        if (collect.timedOut()) break;
        if (got == 0) platform::sleepMs(1);
    }
    return result::kOk;
}

}  // namespace tern
