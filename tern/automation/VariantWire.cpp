#include <tern/automation/VariantWire.h>

#include <QDBusMetaType>
#include <QDBusVariant>
#include <QList>
#include <QStringList>

#include <mutex>

namespace tern {

namespace {

// (ui): one SAFEARRAYBOUND.
struct WireBound {
    uint count = 0;
    int lowerBound = 0;
};

// (a(ui)v): an array of any shape.
struct WireShapedArray {
    QList<WireBound> bounds;
    QDBusVariant elements;
};

}  // namespace
}  // namespace tern

Q_DECLARE_METATYPE(tern::WireBound)
Q_DECLARE_METATYPE(tern::WireShapedArray)

namespace tern {

namespace {

QDBusArgument& operator<<(QDBusArgument& arg, const WireBound& b)
{
    arg.beginStructure();
    arg << b.count << b.lowerBound;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, WireBound& b)
{
    arg.beginStructure();
    arg >> b.count >> b.lowerBound;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const WireShapedArray& a)
{
    arg.beginStructure();
    arg << a.bounds << a.elements;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, WireShapedArray& a)
{
    arg.beginStructure();
    arg >> a.bounds >> a.elements;
    arg.endStructure();
    return arg;
}

// ---- writing -------------------------------------------------------------

QVariant scalarToWire(VARTYPE base, const COleVariant& v)
{
    const int64_t i = v.integer();
    switch (base) {
    case VT_I1:
    case VT_I2: return QVariant::fromValue(static_cast<short>(i));
    case VT_UI1: return QVariant::fromValue(static_cast<uchar>(i));
    case VT_UI2: return QVariant::fromValue(static_cast<ushort>(i));
    case VT_I4:
    case VT_INT:
    case VT_ERROR: return QVariant::fromValue(static_cast<int>(i));
    case VT_UI4:
    case VT_UINT: return QVariant::fromValue(static_cast<uint>(i));
    case VT_I8: return QVariant::fromValue(static_cast<qlonglong>(i));
    case VT_UI8: return QVariant::fromValue(static_cast<qulonglong>(i));
    case VT_BOOL: return QVariant::fromValue(i != 0);
    case VT_R4:
    case VT_R8:
    case VT_DATE: return QVariant::fromValue(v.real());
    case VT_BSTR: return QVariant::fromValue(QString::fromStdString(v.string()));
    default: return QVariant::fromValue(0);
    }
}

template <typename T>
QVariant integerList(const COleSafeArray& a)
{
    QList<T> out;
    out.reserve(static_cast<qsizetype>(a.size()));
    for (size_t i = 0; i < a.size(); ++i) out.append(static_cast<T>(a.integerAt(i)));
    return QVariant::fromValue(out);
}

QVariant elementsToWire(const COleSafeArray& a)
{
    const size_t n = a.size();
    switch (a.elementType()) {
    case VT_I1:
    case VT_I2: return integerList<short>(a);
    case VT_UI2: return integerList<ushort>(a);
    case VT_I4:
    case VT_INT:
    case VT_ERROR: return integerList<int>(a);
    case VT_UI4:
    case VT_UINT: return integerList<uint>(a);
    case VT_I8: return integerList<qlonglong>(a);
    case VT_UI8: return integerList<qulonglong>(a);
    case VT_BOOL: return integerList<bool>(a);
    case VT_UI1: {
        QByteArray out(static_cast<qsizetype>(n), '\0');
        for (size_t i = 0; i < n; ++i) out[static_cast<qsizetype>(i)] = static_cast<char>(a.integerAt(i));
        return QVariant::fromValue(out);
    }
    case VT_R4:
    case VT_R8:
    case VT_DATE: {
        QList<double> out;
        for (size_t i = 0; i < n; ++i) out.append(a.realAt(i));
        return QVariant::fromValue(out);
    }
    case VT_BSTR: {
        QStringList out;
        for (size_t i = 0; i < n; ++i) out.append(QString::fromStdString(a.stringAt(i)));
        return QVariant::fromValue(out);
    }
    case VT_VARIANT: {
        QList<WireVariant> out;
        for (size_t i = 0; i < n; ++i) out.append(WireVariant{a.variantAt(i)});
        return QVariant::fromValue(out);
    }
    default: return QVariant::fromValue(QList<int>{});
    }
}

QVariant arrayToWire(const COleSafeArray& a)
{
    if (a.GetDim() == 1 && a.bounds()[0].lLbound == 0) return elementsToWire(a);
    WireShapedArray shaped;
    for (const auto& b : a.bounds()) shaped.bounds.append(WireBound{b.cElements, b.lLbound});
    shaped.elements = QDBusVariant(elementsToWire(a));
    return QVariant::fromValue(shaped);
}

QVariant valueToWire(const COleVariant& v)
{
    if (v.vt() == (VT_BYREF | VT_VARIANT) && v.referenced()) return QVariant::fromValue(WireVariant{*v.referenced()});
    if (v.isArray() && v.array()) return arrayToWire(*v.array());
    if (!COleVariant::isValidType(v.vt()) || v.isArray()) return QVariant::fromValue(0);
    return scalarToWire(v.baseType(), v);
}

// ---- reading -------------------------------------------------------------

bool wireInteger(const QVariant& q, int64_t& out)
{
    switch (q.typeId()) {
    case QMetaType::Bool: out = q.toBool() ? 1 : 0; return true;
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong: out = q.toLongLong(); return true;
    case QMetaType::ULongLong: out = static_cast<int64_t>(q.toULongLong()); return true;
    default: return false;
    }
}

bool wireReal(const QVariant& q, double& out)
{
    if (q.typeId() == QMetaType::Double) {
        out = q.toDouble();
        return true;
    }
    int64_t i = 0;
    if (!wireInteger(q, i)) return false;
    out = static_cast<double>(i);
    return true;
}

bool readWireVariant(const QDBusArgument& arg, COleVariant& out);

// One element or scalar value of the base type, from its D-Bus value.
bool readElement(const QVariant& q, VARTYPE base, COleSafeArray* array, size_t index, COleVariant* scalar)
{
    switch (storageOf(base)) {
    case VariantStorage::Integer: {
        int64_t i = 0;
        if (!wireInteger(q, i)) return false;
        if (array) array->setInteger(index, i);
        else *scalar = COleVariant::Integer(base, i);
        return true;
    }
    case VariantStorage::Real: {
        double d = 0;
        if (!wireReal(q, d)) return false;
        if (array) array->setReal(index, d);
        else *scalar = COleVariant::Real(base, d);
        return true;
    }
    case VariantStorage::String:
        if (q.typeId() != QMetaType::QString) return false;
        if (array) array->setString(index, q.toString().toStdString());
        else *scalar = COleVariant::String(q.toString().toStdString());
        return true;
    case VariantStorage::Variant: {
        COleVariant element;
        if (q.userType() == qMetaTypeId<WireVariant>()) element = q.value<WireVariant>().value;
        else if (q.userType() != qMetaTypeId<QDBusArgument>() || !readWireVariant(q.value<QDBusArgument>(), element))
            return false;
        if (array) array->setVariant(index, std::move(element));
        else *scalar = std::move(element);
        return true;
    }
    default:
        return false;
    }
}

// The flat elements of an array value, one QVariant each.
bool wireElements(const QVariant& q, QVariantList& out)
{
    if (q.typeId() == QMetaType::QByteArray) {
        for (char c : q.toByteArray()) out.append(QVariant::fromValue(static_cast<uchar>(c)));
        return true;
    }
    if (q.typeId() == QMetaType::QStringList) {
        for (const QString& s : q.toStringList()) out.append(s);
        return true;
    }
    if (q.userType() != qMetaTypeId<QDBusArgument>()) return false;
    const QDBusArgument arg = q.value<QDBusArgument>();
    if (arg.currentType() != QDBusArgument::ArrayType) return false;
    arg.beginArray();
    while (!arg.atEnd()) out.append(arg.asVariant());
    arg.endArray();
    return true;
}

bool readArray(const QVariant& q, VARTYPE vt, COleVariant& out)
{
    std::vector<SafeArrayBound> bounds;
    QVariant elements = q;
    if (q.userType() == qMetaTypeId<QDBusArgument>() &&
        q.value<QDBusArgument>().currentSignature() == QLatin1String("(a(ui)v)")) {
        WireShapedArray shaped;
        q.value<QDBusArgument>() >> shaped;
        for (const auto& b : shaped.bounds) bounds.push_back(SafeArrayBound{b.count, b.lowerBound});
        elements = shaped.elements.variant();
    }
    QVariantList items;
    if (!wireElements(elements, items)) return false;
    if (bounds.empty()) bounds.push_back(SafeArrayBound{static_cast<uint32_t>(items.size()), 0});
    const VARTYPE base = vt & VT_TYPEMASK;
    size_t count = 0;
    // The shape must match the elements sent, before anything is allocated for it.
    if (!COleSafeArray::elementCount(bounds, count) || count != static_cast<size_t>(items.size())) return false;
    COleSafeArray array(base, bounds);
    if (array.elementType() != base) return false;
    for (qsizetype i = 0; i < items.size(); ++i)
        if (!readElement(items[i], base, &array, static_cast<size_t>(i), nullptr)) return false;
    out = COleVariant::Array(std::move(array), (vt & VT_BYREF) != 0);
    return true;
}

bool readValue(VARTYPE vt, const QVariant& value, COleVariant& out)
{
    if (!COleVariant::isValidType(vt)) {
        out = COleVariant::Unsupported(vt);
        return true;
    }
    if (vt & VT_ARRAY) return readArray(value, vt, out);
    const VARTYPE base = vt & VT_TYPEMASK;
    if (base == VT_VARIANT) {
        COleVariant inner;
        if (!readElement(value, VT_VARIANT, nullptr, 0, &inner)) return false;
        out = COleVariant::RefVariant(std::move(inner));
        return true;
    }
    switch (storageOf(base)) {
    case VariantStorage::None: out = base == VT_NULL ? COleVariant::Null() : COleVariant(); return true;
    case VariantStorage::Integer:
    case VariantStorage::Real: {
        COleVariant scalar;
        if (!readElement(value, base, nullptr, 0, &scalar)) return false;
        out = storageOf(base) == VariantStorage::Integer ? COleVariant::Integer(vt, scalar.integer())
                                                          : COleVariant::Real(vt, scalar.real());
        return true;
    }
    default:
        return readElement(value, base, nullptr, 0, &out);
    }
}

bool readWireVariant(const QDBusArgument& arg, COleVariant& out)
{
    const QString signature = arg.currentSignature();
    if (signature == QLatin1String("(qv)")) {
        ushort vt = 0;
        QDBusVariant value;
        arg.beginStructure();
        arg >> vt >> value;
        arg.endStructure();
        return readValue(vt, value.variant(), out);
    }
    // A VARIANT nested in another often arrives with its value bare, (qad)
    // rather than (qv): clients that guess signatures (python-dbus) build a
    // struct's signature from its members. The type code still says what
    // the value is, so nothing is lost in taking it.
    if (!signature.startsWith(QLatin1String("(q")) || signature.size() < 4) return false;
    ushort vt = 0;
    arg.beginStructure();
    arg >> vt;
    const QVariant value = arg.asVariant();
    const bool single = arg.atEnd();
    arg.endStructure();
    return single && readValue(vt, value, out);
}

}  // namespace

QDBusArgument& operator<<(QDBusArgument& arg, const WireVariant& v)
{
    arg.beginStructure();
    arg << static_cast<ushort>(v.value.vt()) << QDBusVariant(valueToWire(v.value));
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, WireVariant& v)
{
    v.valid = readWireVariant(arg, v.value);
    return arg;
}

void registerAutomationWireTypes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        qDBusRegisterMetaType<WireVariant>();
        qDBusRegisterMetaType<QList<WireVariant>>();
        qDBusRegisterMetaType<WireBound>();
        qDBusRegisterMetaType<QList<WireBound>>();
        qDBusRegisterMetaType<WireShapedArray>();
    });
}

QVariant toWire(const COleVariant& value)
{
    registerAutomationWireTypes();
    return QVariant::fromValue(WireVariant{value});
}

bool fromWire(const QVariant& argument, COleVariant& out)
{
    registerAutomationWireTypes();
    if (argument.userType() == qMetaTypeId<WireVariant>()) {
        const WireVariant w = argument.value<WireVariant>();
        out = w.value;
        return w.valid;
    }
    if (argument.userType() != qMetaTypeId<QDBusArgument>()) return false;
    return readWireVariant(argument.value<QDBusArgument>(), out);
}

}  // namespace tern
