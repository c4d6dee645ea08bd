#pragma once
// The ModBusLink automation object: every IModBusLink member with the
// argument types and HRESULT results an automation client sees. A member
// that fails sets the thread's error information (ErrorInfo.h).
//
// An object uses one named connection of the connection table at a time.
// Its members may be called from several threads at once: property reads
// and settings run beside an exchange that another thread is making on the
// same connection; the connection's engine serialises the frames.
#include <tern/server/ConnectionTable.h>
#include <tern/server/TcpServerProvider.h>
#include <tern/automation/COleVariant.h>
#include <tern/automation/IModBusLink.h>
#include <tern/automation/OleTypes.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace tern {

class CModBusLink : public IModBusLink {
public:
    // Which connection a member needs.
    enum class Needs { Nothing, Any, Serial, Tcp };

    explicit CModBusLink(server::ConnectionTable& table = server::ConnectionTable::instance(),
                         server::TcpServerProvider* tcpServers = nullptr);
    ~CModBusLink() override;
    CModBusLink(const CModBusLink&) = delete;
    CModBusLink& operator=(const CModBusLink&) = delete;

    HRESULT CloseConnection() override;
    HRESULT OpenConnection(const std::string& Name, int16_t Type, VARIANT_BOOL* pbOk) override;
    HRESULT Connect(VARIANT_BOOL* pbConnected) override;
    HRESULT get_IsActive(VARIANT_BOOL* pVal) override;
    HRESULT get_RaiseError(VARIANT_BOOL* pVal) override;
    HRESULT put_RaiseError(VARIANT_BOOL newVal) override;

    // Serial line settings (effective at the next Connect).
    HRESULT get_ComPort(int16_t* pVal) override;
    HRESULT put_ComPort(int16_t newVal) override;
    HRESULT get_BaudRate(int32_t* pVal) override;
    HRESULT put_BaudRate(int32_t newVal) override;
    HRESULT get_Parity(int16_t* pVal) override;
    HRESULT put_Parity(int16_t newVal) override;
    HRESULT get_FlowControl(int16_t* pVal) override;
    HRESULT put_FlowControl(int16_t newVal) override;
    HRESULT get_StopBits(int16_t* pVal) override;
    HRESULT put_StopBits(int16_t newVal) override;
    HRESULT get_ByteSize(int16_t* pVal) override;
    HRESULT put_ByteSize(int16_t newVal) override;
    HRESULT get_TransmissionMode(int16_t* pVal) override;
    HRESULT put_TransmissionMode(int16_t newVal) override;
    HRESULT get_SilentInterval(int32_t* pVal) override;
    HRESULT put_SilentInterval(int32_t newVal) override;
    // TCP peer settings.
    HRESULT get_Host(std::string* pVal) override;
    HRESULT put_Host(const std::string& newVal) override;
    HRESULT get_TcpPort(int32_t* pVal) override;
    HRESULT put_TcpPort(int32_t newVal) override;
    // Either connection: the response or socket time-out, and the engine's
    // attempts and pause after a failure.
    HRESULT get_TimeOut(int32_t* pVal) override;
    HRESULT put_TimeOut(int32_t newVal) override;
    HRESULT get_Retries(int16_t* pVal) override;
    HRESULT put_Retries(int16_t newVal) override;
    HRESULT get_Delay(int32_t* pVal) override;
    HRESULT put_Delay(int32_t newVal) override;
    // No TCP server lives behind these: they hand back no object (an empty path).
    HRESULT get_TcpServer(std::string* pVal) override;
    HRESULT CreateTCPServer(std::string* pVal) override;

    HRESULT PresetSingleRegister(int16_t Addr, int32_t Register, const COleVariant& RegValue,
                                 const COleVariant& vRealType, int32_t* lRetval) override;
    HRESULT ForceSingleCoil(int16_t Addr, int32_t Register, VARIANT_BOOL CoilValue, int32_t* plRetVal) override;
    HRESULT ReadOutputRegisters(int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* vRegValues,
                                const COleVariant& vVarType, const COleVariant& vRealType, int32_t* lpRetVal) override;
    HRESULT ReadInputRegisters(int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* vRegValues,
                               const COleVariant& vVarType, const COleVariant& vRealType, int32_t* plRetVal) override;
    HRESULT ReadOutputStatus(int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* vCoilValues,
                             int32_t* plRetVal) override;
    HRESULT ReadInputStatus(int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* vCoilValues,
                            int32_t* plRetVal) override;
    HRESULT PresetMultipleRegisters(int16_t Addr, int32_t DataStart, int16_t Quantity, const COleVariant& vRegValues,
                                    const COleVariant& vRealType, int32_t* plRetVal) override;
    HRESULT ForceMultipleCoils(int16_t Addr, int32_t DataStart, int16_t Quantity, const COleVariant& vCoilValues,
                               int32_t* plRetVal) override;
    // vNumOfBytesRead is optional: a missing argument is left alone.
    HRESULT TxRxMessage(const COleVariant& vQuery, int16_t QueryLength, COleVariant* vResponse, int16_t RespLength,
                        COleVariant* vNumOfBytesRead, int32_t* plRetVal) override;
    HRESULT TxRxRawData(const COleVariant& vQuery, int16_t QueryLength, COleVariant* vResponse, int16_t RespLength,
                        int32_t TimeOut, COleVariant* vNumOfBytesRead, int32_t* plRetVal) override;

    // The connection in use, if any (the dispatch layer queues exchanges on it).
    std::shared_ptr<server::CConnection> connection() const;

private:
    HRESULT need(Needs needs, std::shared_ptr<server::CConnection>& out);
    HRESULT fail(uint16_t code, const std::string& text);
    HRESULT usageError(uint16_t code);
    // Sets the out-value and decides whether the call fails.
    HRESULT finish(uint16_t code, server::CConnection& c, int32_t* retval);
    template <typename T, typename Read>
    HRESULT readSetting(Needs needs, T* out, Read read);
    template <typename Write>
    HRESULT writeSetting(Needs needs, Write write);

    HRESULT readRegisters(bool input, int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* values,
                          const COleVariant& varType, const COleVariant& realType, int32_t* retval);
    HRESULT readBits(bool input, int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* values,
                     int32_t* retval);
    uint16_t presetRegisterValues(CModbus& engine, int16_t Addr, int32_t DataStart, int16_t Quantity,
                                  const COleVariant& values, bool highWordFirst);
    // The start of the raw members: the connection, the in/out values
    // cleared, the query bytes; a failure ends the call.
    HRESULT beginRaw(Needs needs, const COleVariant& vQuery, int16_t QueryLength, COleVariant* vResponse,
                     COleVariant*& vNumOfBytesRead, std::shared_ptr<server::CConnection>& c,
                     std::vector<uint8_t>& query, int32_t* retval);
    HRESULT exchangeResult(server::CConnection& c, uint16_t code, std::vector<uint8_t> response,
                           COleVariant* vResponse, size_t received, COleVariant* vNumOfBytesRead, int32_t* retval);

    server::ConnectionTable& table_;
    server::TcpServerProvider* tcpServers_ = nullptr;
    mutable std::mutex mutex_;
    std::shared_ptr<server::CConnection> connection_;
    std::atomic<bool> raiseError_{false};
};

}  // namespace tern
