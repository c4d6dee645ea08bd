#pragma once
// A client's ModBusLink object: finds "Tern.ModBusLink.1" in the
// registration, attaches to the running link server or starts it, creates
// an object there and offers every IModBusLink member as a typed call. Each
// call blocks until the server answers and returns the HRESULT and
// out-values an automation client gets; a failing call leaves its error
// information (description, source, interface GUID) with the calling
// thread, to be taken with GetErrorInfo(). Nothing throws.
//
// Calls go to the server instance that created the object, never to a later
// one: a server that has gone makes every call fail with RPC_E_DISCONNECTED
// (or CO_E_OBJNOTCONNECTED when only the object has gone).
//
// The object belongs to this process's bus connection: it is released by
// Release(), by the destructor, or by the server when the process leaves the
// bus.
#include <tern/automation/IModBusLink.h>
#include <tern/automation/ModBusLinkIdentity.h>

#include <QDBusConnection>
#include <QString>
#include <QVariantList>

#include <string>

namespace tern {

class ModBusLinkClient : public IModBusLink {
public:
    explicit ModBusLinkClient(QDBusConnection bus = QDBusConnection::sessionBus());
    ~ModBusLinkClient() override;
    ModBusLinkClient(const ModBusLinkClient&) = delete;
    ModBusLinkClient& operator=(const ModBusLinkClient&) = delete;

    // Creates the object (releasing one held before). CO_E_CLASSSTRING or
    // REGDB_E_CLASSNOTREG when the class is not registered,
    // CO_E_SERVER_EXEC_FAILURE when no server could be started.
    HRESULT CreateInstance(const std::string& progId = identity::kProgId);
    void Release();
    bool isAttached() const { return !path_.isEmpty(); }
    const QString& objectPath() const { return path_; }
    // The unique bus name of the serving instance.
    const QString& serverName() const { return server_; }
    // How long one call may wait for its answer (ms; -1: the bus's default).
    void setCallTimeout(int ms) { timeoutMs_ = ms; }

    HRESULT CloseConnection() override;
    HRESULT OpenConnection(const std::string& Name, int16_t Type, VARIANT_BOOL* pbOk) override;
    HRESULT Connect(VARIANT_BOOL* pbConnected) override;
    HRESULT get_IsActive(VARIANT_BOOL* pVal) override;
    HRESULT get_RaiseError(VARIANT_BOOL* pVal) override;
    HRESULT put_RaiseError(VARIANT_BOOL newVal) override;
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
    HRESULT get_Host(std::string* pVal) override;
    HRESULT put_Host(const std::string& newVal) override;
    HRESULT get_TcpPort(int32_t* pVal) override;
    HRESULT put_TcpPort(int32_t newVal) override;
    HRESULT get_TimeOut(int32_t* pVal) override;
    HRESULT put_TimeOut(int32_t newVal) override;
    HRESULT get_Retries(int16_t* pVal) override;
    HRESULT put_Retries(int16_t newVal) override;
    HRESULT get_Delay(int32_t* pVal) override;
    HRESULT put_Delay(int32_t newVal) override;
    HRESULT get_TcpServer(std::string* pVal) override;
    HRESULT CreateTCPServer(std::string* pVal) override;
    HRESULT PresetSingleRegister(int16_t Addr, int32_t Register, const COleVariant& RegValue,
                                 const COleVariant& vRealType, int32_t* lRetval) override;
    HRESULT ForceSingleCoil(int16_t Addr, int32_t Register, VARIANT_BOOL CoilValue, int32_t* plRetVal) override;
    HRESULT ReadOutputRegisters(int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* vRegValues,
                                const COleVariant& vVarType, const COleVariant& vRealType,
                                int32_t* lpRetVal) override;
    HRESULT ReadInputRegisters(int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* vRegValues,
                               const COleVariant& vVarType, const COleVariant& vRealType,
                               int32_t* plRetVal) override;
    HRESULT ReadOutputStatus(int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* vCoilValues,
                             int32_t* plRetVal) override;
    HRESULT ReadInputStatus(int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* vCoilValues,
                            int32_t* plRetVal) override;
    HRESULT PresetMultipleRegisters(int16_t Addr, int32_t DataStart, int16_t Quantity, const COleVariant& vRegValues,
                                    const COleVariant& vRealType, int32_t* plRetVal) override;
    HRESULT ForceMultipleCoils(int16_t Addr, int32_t DataStart, int16_t Quantity, const COleVariant& vCoilValues,
                               int32_t* plRetVal) override;
    HRESULT TxRxMessage(const COleVariant& vQuery, int16_t QueryLength, COleVariant* vResponse, int16_t RespLength,
                        COleVariant* vNumOfBytesRead, int32_t* plRetVal) override;
    HRESULT TxRxRawData(const COleVariant& vQuery, int16_t QueryLength, COleVariant* vResponse, int16_t RespLength,
                        int32_t TimeOut, COleVariant* vNumOfBytesRead, int32_t* plRetVal) override;

private:
    // One call of a member; outs receives the reply's arguments on success.
    HRESULT call(const char* member, const QVariantList& args, QVariantList* outs = nullptr);
    template <typename T>
    HRESULT getValue(const char* member, T* out);
    HRESULT getBool(const char* member, VARIANT_BOOL* out);
    HRESULT getPath(const char* member, std::string* out);
    HRESULT createOnce();
    HRESULT readVariants(const QVariantList& outs, std::initializer_list<COleVariant*> targets, int32_t* retval);

    QDBusConnection bus_;
    QString server_;
    QString path_;
    int timeoutMs_ = -1;
};

}  // namespace tern
