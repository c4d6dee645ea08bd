#pragma once
// The D-Bus form of a VARIANT: the struct (qv), the type code and its value.
//
//   VT_EMPTY, VT_NULL        i 0 (any value is accepted on input)
//   VT_I1, VT_I2             n        VT_UI1   y       VT_BOOL   b
//   VT_I4, VT_INT, VT_ERROR  i        VT_UI2   q       VT_BSTR   s
//   VT_UI4, VT_UINT          u        VT_I8    x       VT_UI8    t
//   VT_R4, VT_R8, VT_DATE    d
//   VT_ARRAY | t             a<t> (a(qv) for VARIANT elements): one
//                            dimension, lower bound 0; or, for any other
//                            shape, the struct (a(ui)v): the bounds
//                            (elements, lower bound) and the flat elements
//   VT_BYREF | VT_VARIANT    (qv): the VARIANT referred to; read also in
//                            the form (q<t>), its value not in a variant
//   VT_BYREF | t             as t
//
// Input is lenient where no information is lost in kind: any D-Bus integer
// for an integer type (brought into its range), an integer for a real type,
// an integer for VT_BOOL. A type code this model does not know is kept (see
// COleVariant::Unsupported); a value that does not fit its code at all makes
// the argument invalid.
#include <tern/automation/COleSafeArray.h>
#include <tern/automation/COleVariant.h>

#include <QDBusArgument>
#include <QMetaType>
#include <QVariant>

namespace tern {

struct WireVariant {
    COleVariant value;
    bool valid = true;
};

// Registers the D-Bus types of this file; safe to call any number of times.
void registerAutomationWireTypes();

// A message argument holding the VARIANT.
QVariant toWire(const COleVariant& value);
// Reads a (qv) message argument; false when it is not one or its value does
// not fit its type code.
bool fromWire(const QVariant& argument, COleVariant& out);

QDBusArgument& operator<<(QDBusArgument& arg, const WireVariant& v);
const QDBusArgument& operator>>(const QDBusArgument& arg, WireVariant& v);

}  // namespace tern

Q_DECLARE_METATYPE(tern::WireVariant)
