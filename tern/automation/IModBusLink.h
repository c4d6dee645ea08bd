#pragma once
// IModBusLink: the dual interface of the ModBusLink class, with the argument
// and result types an automation client sees. Implemented by the object in
// the server (CModBusLink) and by the client's proxy (ModBusLinkClient), so
// code and tests can use either. A failing member returns its HRESULT and
// leaves its error information with the caller's thread (ErrorInfo.h);
// out-values count only when the call succeeds.
//
// A dispatch pointer result is an object path, empty for none.
#include <tern/automation/COleSafeArray.h>
#include <tern/automation/COleVariant.h>
#include <tern/automation/OleTypes.h>

#include <cstdint>
#include <string>

namespace tern {

class IModBusLink {
public:
    virtual ~IModBusLink() = default;

    virtual HRESULT CloseConnection() = 0;
    virtual HRESULT OpenConnection(const std::string& Name, int16_t Type, VARIANT_BOOL* pbOk) = 0;
    virtual HRESULT Connect(VARIANT_BOOL* pbConnected) = 0;
    virtual HRESULT get_IsActive(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT get_RaiseError(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_RaiseError(VARIANT_BOOL newVal) = 0;

    // Serial line settings (effective at the next Connect).
    virtual HRESULT get_ComPort(int16_t* pVal) = 0;
    virtual HRESULT put_ComPort(int16_t newVal) = 0;
    virtual HRESULT get_BaudRate(int32_t* pVal) = 0;
    virtual HRESULT put_BaudRate(int32_t newVal) = 0;
    virtual HRESULT get_Parity(int16_t* pVal) = 0;
    virtual HRESULT put_Parity(int16_t newVal) = 0;
    virtual HRESULT get_FlowControl(int16_t* pVal) = 0;
    virtual HRESULT put_FlowControl(int16_t newVal) = 0;
    virtual HRESULT get_StopBits(int16_t* pVal) = 0;
    virtual HRESULT put_StopBits(int16_t newVal) = 0;
    virtual HRESULT get_ByteSize(int16_t* pVal) = 0;
    virtual HRESULT put_ByteSize(int16_t newVal) = 0;
    virtual HRESULT get_TransmissionMode(int16_t* pVal) = 0;
    virtual HRESULT put_TransmissionMode(int16_t newVal) = 0;
    virtual HRESULT get_SilentInterval(int32_t* pVal) = 0;
    virtual HRESULT put_SilentInterval(int32_t newVal) = 0;
    // TCP peer settings.
    virtual HRESULT get_Host(std::string* pVal) = 0;
    virtual HRESULT put_Host(const std::string& newVal) = 0;
    virtual HRESULT get_TcpPort(int32_t* pVal) = 0;
    virtual HRESULT put_TcpPort(int32_t newVal) = 0;
    // Either connection: the response or socket time-out, and the engine's
    // attempts and pause after a failure.
    virtual HRESULT get_TimeOut(int32_t* pVal) = 0;
    virtual HRESULT put_TimeOut(int32_t newVal) = 0;
    virtual HRESULT get_Retries(int16_t* pVal) = 0;
    virtual HRESULT put_Retries(int16_t newVal) = 0;
    virtual HRESULT get_Delay(int32_t* pVal) = 0;
    virtual HRESULT put_Delay(int32_t newVal) = 0;
    // The TCP server object of a serial connection; empty for none.
    virtual HRESULT get_TcpServer(std::string* pVal) = 0;
    virtual HRESULT CreateTCPServer(std::string* pVal) = 0;

    virtual HRESULT PresetSingleRegister(int16_t Addr, int32_t Register, const COleVariant& RegValue,
                                 const COleVariant& vRealType, int32_t* lRetval) = 0;
    virtual HRESULT ForceSingleCoil(int16_t Addr, int32_t Register, VARIANT_BOOL CoilValue, int32_t* plRetVal) = 0;
    virtual HRESULT ReadOutputRegisters(int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* vRegValues,
                                const COleVariant& vVarType, const COleVariant& vRealType, int32_t* lpRetVal) = 0;
    virtual HRESULT ReadInputRegisters(int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* vRegValues,
                               const COleVariant& vVarType, const COleVariant& vRealType, int32_t* plRetVal) = 0;
    virtual HRESULT ReadOutputStatus(int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* vCoilValues,
                             int32_t* plRetVal) = 0;
    virtual HRESULT ReadInputStatus(int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* vCoilValues,
                            int32_t* plRetVal) = 0;
    virtual HRESULT PresetMultipleRegisters(int16_t Addr, int32_t DataStart, int16_t Quantity, const COleVariant& vRegValues,
                                    const COleVariant& vRealType, int32_t* plRetVal) = 0;
    virtual HRESULT ForceMultipleCoils(int16_t Addr, int32_t DataStart, int16_t Quantity, const COleVariant& vCoilValues,
                               int32_t* plRetVal) = 0;
    // vNumOfBytesRead is optional: a missing argument is left alone.
    virtual HRESULT TxRxMessage(const COleVariant& vQuery, int16_t QueryLength, COleVariant* vResponse, int16_t RespLength,
                        COleVariant* vNumOfBytesRead, int32_t* plRetVal) = 0;
    virtual HRESULT TxRxRawData(const COleVariant& vQuery, int16_t QueryLength, COleVariant* vResponse, int16_t RespLength,
                        int32_t TimeOut, COleVariant* vNumOfBytesRead, int32_t* plRetVal) = 0;};

}  // namespace tern
