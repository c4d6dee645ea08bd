#!/usr/bin/python3
"""Array arguments as a client in another language passes them: a
by-reference VARIANT wrapping the VARIANT that holds the array, the form
(q=0x400C, v=(q=0x2005, v=ad)). python3-dbus alone, nothing of ours.

Usage: tern_byref_client.py COMPORT
Prints one line per call: the member, then the result value or the
description of the automation error, then any bytes received.
"""
import sys

import dbus

BUS_NAME = "org.aviary.Tern"
CLASS_OBJECT = "/org/aviary/Tern/ModBusLink"
VT_I2, VT_I4, VT_R8, VT_BOOL, VT_ERROR, VT_UI1 = 2, 3, 5, 11, 10, 17
VT_VARIANT, VT_ARRAY, VT_BYREF = 12, 0x2000, 0x4000
DISP_E_PARAMNOTFOUND = -2147352572


def variant(vt, value):
    return dbus.Struct((dbus.UInt16(vt), value), signature="qv")


def missing():
    return variant(VT_ERROR, dbus.Int32(DISP_E_PARAMNOTFOUND))


def by_ref(vt, signature, items, bare=False):
    """The array VARIANT, wrapped once in a by-reference VARIANT. Inside a
    variant python-dbus guesses a struct's signature from its members, so
    the array is marked as a variant itself to make the inner struct (qv);
    left bare, it makes the struct (qa...), as a careless client sends it."""
    elements = dbus.Array(items, signature=signature, variant_level=0 if bare else 1)
    return variant(VT_BYREF | VT_VARIANT, variant(VT_ARRAY | vt, elements))


def show(name, call):
    try:
        result = call()
        print(name, result)
    except dbus.DBusException as e:
        print(name, "error:", e.get_dbus_message())


def main(argv):
    com_port = int(argv[1])
    bus = dbus.SessionBus()
    factory = dbus.Interface(bus.get_object(BUS_NAME, CLASS_OBJECT), "org.aviary.Tern.IClassFactory")
    path = factory.CreateInstance()
    link = dbus.Interface(bus.get_object(BUS_NAME, path), "org.aviary.Tern.IModBusLink")
    try:
        link.OpenConnection("BYREF", 1)
        link.put_ComPort(com_port)
        link.put_TimeOut(500)
        link.put_RaiseError(False)
        link.Connect()

        def hexed(r):
            return "%08X" % (int(r) & 0xFFFFFFFF)

        doubles = by_ref(VT_R8, "d", [1.5, -2.0], bare=True)
        integers = by_ref(VT_I4, "i", [7, 8])
        show("PresetMultipleRegisters(doubles)",
             lambda: hexed(link.PresetMultipleRegisters(1, 20, 2, doubles, variant(VT_I4, dbus.Int32(1)))))
        show("PresetMultipleRegisters(integers)",
             lambda: hexed(link.PresetMultipleRegisters(1, 30, 2, integers, missing())))
        coils = by_ref(VT_BOOL, "n", [-1, 0, -1])
        show("ForceMultipleCoils", lambda: hexed(link.ForceMultipleCoils(1, 4, 3, coils)))
        query = by_ref(VT_UI1, "y", [1, 3, 0, 20, 0, 4])

        def txrx():
            response, count, result = link.TxRxMessage(query, 6, variant(0, dbus.Int32(0)), 11,
                                                       variant(0, dbus.Int32(0)))
            return hexed(result) + " " + " ".join("%02X" % int(b) for b in response[1])

        show("TxRxMessage", txrx)
        show("TxRxMessage(empty)",
             lambda: hexed(link.TxRxMessage(by_ref(VT_UI1, "y", []), 0,
                                            variant(0, dbus.Int32(0)), 0, missing())[2]))
        link.CloseConnection()
    finally:
        dbus.Interface(bus.get_object(BUS_NAME, path), "org.aviary.Tern.IUnknown").Release()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
