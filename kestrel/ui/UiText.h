#pragma once
// Text from the core on its way into a widget. Files and telegrams carry
// single-byte text, shown byte for byte as Latin-1; texts the program makes
// itself are UTF-8.
#include <QString>

#include <string>

namespace kestrel {

inline QString latin1Text(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

inline QString utf8Text(const std::string& s)
{
    return QString::fromStdString(s);
}

}  // namespace kestrel
