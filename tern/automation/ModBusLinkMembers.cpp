#include <tern/automation/ModBusLinkMembers.h>

#include <unordered_map>

namespace tern {

namespace {

constexpr const char* kVariant = "(qv)";
constexpr ArgDirection In = ArgDirection::In;
constexpr ArgDirection Out = ArgDirection::Out;
constexpr ArgDirection InOut = ArgDirection::InOut;

MemberArg retval(const std::string& name, const std::string& type) { return {name, type, Out, false, true}; }
MemberArg optional(const std::string& name, ArgDirection d = In) { return {name, kVariant, d, true, false}; }

// A property: its get (and put unless read-only), same id and help string.
void property(std::vector<MemberInfo>& out, int id, const char* name, const char* type, const char* help,
              bool readOnly = false)
{
    out.push_back({id, name, MemberKind::PropertyGet, help, {retval("pVal", type)}});
    if (!readOnly) out.push_back({id, name, MemberKind::PropertyPut, help, {{"", type}}});
}

std::vector<MemberArg> registerRead(const char* retvalName)
{
    return {{"Addr", "n"},
            {"DataStart", "i"},
            {"Quantity", "n"},
            {"vRegValues", kVariant, InOut},
            optional("vVarType"),
            optional("vRealType"),
            retval(retvalName, "i")};
}

std::vector<MemberArg> statusRead()
{
    return {{"Addr", "n"}, {"DataStart", "i"}, {"Quantity", "n"}, {"vCoilValues", kVariant, InOut},
            retval("plRetVal", "i")};
}

std::vector<MemberInfo> buildMembers()
{
    std::vector<MemberInfo> m;
    auto method = [&m](int id, const char* name, const char* help, std::vector<MemberArg> args) {
        m.push_back({id, name, MemberKind::Method, help, std::move(args)});
    };
    method(1, "CloseConnection", "Methode CloseConnection", {});
    property(m, 2, "ComPort", "n", "Local Serial Comm Port");
    property(m, 3, "BaudRate", "i", " BaudRate");
    property(m, 4, "Parity", "n", "Parity");
    property(m, 6, "FlowControl", "n", "property FlowControl");
    method(7, "Connect", "Make a connection", {retval("pbConnected", "b")});
    method(8, "OpenConnection", "method OpenConnection", {{"Name", "s"}, {"Type", "n"}, retval("pbOk", "b")});
    property(m, 9, "RaiseError", "b", "property RaiseError");
    method(10, "PresetSingleRegister", "method PresetSingleRegister",
           {{"Addr", "n"}, {"Register", "i"}, {"RegValue", kVariant}, optional("vRealType"), retval("lRetval", "i")});
    method(11, "ForceSingleCoil", "method ForceSingleCoil",
           {{"Addr", "n"}, {"Register", "i"}, {"CoilValue", "b"}, retval("plRetVal", "i")});
    method(12, "ReadOutputRegisters", "method ReadOutputRegisters", registerRead("lpRetVal"));
    method(13, "ReadInputRegisters", "method ReadInputRegisters", registerRead("plRetVal"));
    method(14, "ReadOutputStatus", "method ReadOutputStatus", statusRead());
    method(15, "ReadInputStatus", "method ReadInputStatus", statusRead());
    method(16, "PresetMultipleRegisters", "method PresetMultipleRegisters",
           {{"Addr", "n"}, {"DataStart", "i"}, {"Quantity", "n"}, {"vRegValues", kVariant}, optional("vRealType"),
            retval("plRetVal", "i")});
    method(17, "ForceMultipleCoils", "method ForceMultipleCoils",
           {{"Addr", "n"}, {"DataStart", "i"}, {"Quantity", "n"}, {"vCoilValues", kVariant}, retval("plRetVal", "i")});
    property(m, 18, "Retries", "n", "property Retries");
    property(m, 19, "IsActive", "b", "property IsActive", true);
    property(m, 20, "Host", "s", "property Host");
    property(m, 21, "TcpPort", "i", "property TcpPort");
    method(22, "TxRxMessage", "method TxRxMessage",
           {{"vQuery", kVariant}, {"QueryLength", "n"}, {"vResponse", kVariant, InOut}, {"RespLength", "n"},
            optional("vNumOfBytesRead", InOut), retval("plRetVal", "i")});
    property(m, 23, "TcpServer", "o", "property TcpServer", true);
    method(24, "CreateTCPServer", "method CreateTCPServer", {retval("pVal", "o")});
    property(m, 25, "SilentInterval", "i", "property SilentInterval");
    property(m, 26, "TimeOut", "i", "property TimeOut");
    property(m, 27, "StopBits", "n", "property StopBits");
    property(m, 28, "TransmissionMode", "n", "property TransmissionMode");
    property(m, 29, "ByteSize", "n", "property ByteSize");
    method(30, "TxRxRawData", "method TxRxRawData",
           {{"vQuery", kVariant}, {"QueryLength", "n"}, {"vResponse", kVariant, InOut}, {"RespLength", "n"},
            {"TimeOut", "i"}, optional("vNumOfBytesRead", InOut), retval("plRetVal", "i")});
    property(m, 31, "Delay", "i", "Delay in ms after an error ");
    return m;
}

}  // namespace

std::string MemberInfo::busName() const
{
    switch (kind) {
    case MemberKind::PropertyGet: return "get_" + name;
    case MemberKind::PropertyPut: return "put_" + name;
    default: return name;
    }
}

std::string MemberInfo::inSignature() const
{
    std::string s;
    for (const auto& a : args)
        if (a.direction != ArgDirection::Out) s += a.type;
    return s;
}

std::string MemberInfo::outSignature() const
{
    std::string s;
    for (const auto& a : args)
        if (a.direction == ArgDirection::InOut) s += a.type;
    for (const auto& a : args)
        if (a.direction == ArgDirection::Out) s += a.type;
    return s;
}

const std::vector<MemberInfo>& modBusLinkMembers()
{
    static const std::vector<MemberInfo> members = buildMembers();
    return members;
}

const MemberInfo* findModBusLinkMember(std::string_view busName)
{
    static const std::unordered_map<std::string, const MemberInfo*> byName = [] {
        std::unordered_map<std::string, const MemberInfo*> map;
        for (const auto& m : modBusLinkMembers()) map.emplace(m.busName(), &m);
        return map;
    }();
    auto it = byName.find(std::string(busName));
    return it == byName.end() ? nullptr : it->second;
}

}  // namespace tern
