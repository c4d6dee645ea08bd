#pragma once
// The members of IModBusLink as they appear on the bus: dispatch id, name,
// help string and arguments. Each method is a D-Bus method of the same name;
// a property is the pair get_<Name> / put_<Name> (a read-only property has
// only the first). In/out arguments appear among the inputs and again among
// the outputs; the retval output comes last.
//
// D-Bus types: 16-bit n, 32-bit i, boolean b, string s, VARIANT (qv), a
// dispatch pointer an object path o ("/" for none).
#include <string>
#include <string_view>
#include <vector>

namespace tern {

enum class MemberKind { Method, PropertyGet, PropertyPut };
enum class ArgDirection { In, Out, InOut };

struct MemberArg {
    std::string name;  // empty: the unnamed value of a property put
    std::string type;
    ArgDirection direction = ArgDirection::In;
    bool optional = false;
    bool retval = false;
};

struct MemberInfo {
    int dispId = 0;
    std::string name;
    MemberKind kind = MemberKind::Method;
    std::string helpString;
    std::vector<MemberArg> args;

    // The D-Bus member name: name, get_name or put_name.
    std::string busName() const;
    std::string inSignature() const;
    std::string outSignature() const;
};

const std::vector<MemberInfo>& modBusLinkMembers();
const MemberInfo* findModBusLinkMember(std::string_view busName);

}  // namespace tern
