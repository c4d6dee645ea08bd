#include <tern/server/ModBusLinkIntrospection.h>

#include <tern/automation/ModBusLinkIdentity.h>
#include <tern/automation/ModBusLinkMembers.h>

namespace tern::server {

namespace {

QString attr(const std::string& s) { return QString::fromStdString(s).toHtmlEscaped(); }

QString annotation(const char* name, const QString& value, const QString& indent)
{
    return QStringLiteral("%1<annotation name=\"%2\" value=\"%3\"/>\n").arg(indent, QLatin1String(name), value);
}

QString argXml(const MemberArg& a, ArgDirection direction)
{
    QString xml = QStringLiteral("      <arg");
    if (!a.name.empty()) xml += QStringLiteral(" name=\"%1\"").arg(attr(a.name));
    xml += QStringLiteral(" type=\"%1\" direction=\"%2\"")
               .arg(attr(a.type), direction == ArgDirection::Out ? QStringLiteral("out") : QStringLiteral("in"));
    if (!a.optional && !a.retval) return xml + QStringLiteral("/>\n");
    xml += QStringLiteral(">\n");
    if (a.optional) xml += annotation("org.aviary.Tern.Optional", QStringLiteral("true"), QStringLiteral("        "));
    if (a.retval) xml += annotation("org.aviary.Tern.RetVal", QStringLiteral("true"), QStringLiteral("        "));
    return xml + QStringLiteral("      </arg>\n");
}

QString methodXml(const MemberInfo& m)
{
    QString xml = QStringLiteral("    <method name=\"%1\">\n").arg(attr(m.busName()));
    xml += annotation(identity::kAnnotationDispId, QString::number(m.dispId), QStringLiteral("      "));
    xml += annotation(identity::kAnnotationHelpString, attr(m.helpString), QStringLiteral("      "));
    for (const auto& a : m.args)
        if (a.direction != ArgDirection::Out) xml += argXml(a, ArgDirection::In);
    for (const auto& a : m.args)
        if (a.direction == ArgDirection::InOut) xml += argXml(a, ArgDirection::Out);
    for (const auto& a : m.args)
        if (a.direction == ArgDirection::Out) xml += argXml(a, ArgDirection::Out);
    return xml + QStringLiteral("    </method>\n");
}

}  // namespace

QString modBusLinkInterfaceXml()
{
    QString xml = QStringLiteral("  <interface name=\"%1\">\n").arg(QLatin1String(identity::kModBusLinkInterface));
    xml += annotation("org.aviary.Tern.IID", QLatin1String(identity::kIid), QStringLiteral("    "));
    xml += annotation(identity::kAnnotationHelpString, QLatin1String(identity::kInterfaceHelpString),
                      QStringLiteral("    "));
    for (const auto& m : modBusLinkMembers()) xml += methodXml(m);
    xml += QStringLiteral("  </interface>\n");
    xml += QStringLiteral("  <interface name=\"%1\">\n"
                          "    <method name=\"AddRef\"><arg name=\"refs\" type=\"u\" direction=\"out\"/></method>\n"
                          "    <method name=\"Release\"><arg name=\"refs\" type=\"u\" direction=\"out\"/></method>\n"
                          "  </interface>\n")
               .arg(QLatin1String(identity::kUnknownInterface));
    return xml;
}

QString classObjectXml(const QStringList& childNodes)
{
    QString xml = QStringLiteral("  <interface name=\"%1\">\n").arg(QLatin1String(identity::kClassFactoryInterface));
    xml += annotation("org.aviary.Tern.CLSID", QLatin1String(identity::kClsid), QStringLiteral("    "));
    xml += annotation("org.aviary.Tern.ProgID", QLatin1String(identity::kProgId), QStringLiteral("    "));
    xml += annotation(identity::kAnnotationHelpString, QLatin1String(identity::kClassDescription),
                      QStringLiteral("    "));
    xml += annotation("org.aviary.Tern.TypeLib",
                      QStringLiteral("%1 %2 %3")
                          .arg(QLatin1String(identity::kLibId), QLatin1String(identity::kLibVersion),
                               QLatin1String(identity::kLibName)),
                      QStringLiteral("    "));
    xml += annotation("org.aviary.Tern.TypeLibHelpString", QLatin1String(identity::kLibHelpString),
                      QStringLiteral("    "));
    xml += QStringLiteral("    <method name=\"CreateInstance\"><arg name=\"object\" type=\"o\" direction=\"out\"/>"
                          "</method>\n"
                          "    <method name=\"LockServer\"><arg name=\"fLock\" type=\"b\" direction=\"in\"/>"
                          "</method>\n"
                          "  </interface>\n");
    for (const auto& child : childNodes) xml += QStringLiteral("  <node name=\"%1\"/>\n").arg(child);
    return xml;
}

}  // namespace tern::server
