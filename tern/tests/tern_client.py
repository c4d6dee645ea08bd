#!/usr/bin/python3
"""An automation client we did not write in C++: python3-dbus alone, knowing
only the bus name, the class object and the introspection data.

Usage: tern_client.py COMPORT SLAVE START QUANTITY
Reads the holding registers through a new ModBusLink object on the
connection "PY" and prints them, one decimal value a line. Exit status 0 on
success; 2 when the server answers with an error (the message goes to
stderr).
"""
import sys

import dbus

BUS_NAME = "org.aviary.Tern"
CLASS_OBJECT = "/org/aviary/Tern/ModBusLink"
VT_ERROR = 10
DISP_E_PARAMNOTFOUND = -2147352572


def variant(vt, value):
    return dbus.Struct((dbus.UInt16(vt), value), signature="qv", variant_level=0)


def missing():
    return variant(VT_ERROR, dbus.Int32(DISP_E_PARAMNOTFOUND, variant_level=1))


def main(argv):
    com_port, slave, start, quantity = (int(a) for a in argv[1:5])
    bus = dbus.SessionBus()
    factory = dbus.Interface(bus.get_object(BUS_NAME, CLASS_OBJECT), "org.aviary.Tern.IClassFactory")
    path = factory.CreateInstance()
    link = dbus.Interface(bus.get_object(BUS_NAME, path), "org.aviary.Tern.IModBusLink")
    try:
        if not link.OpenConnection("PY", 1):
            raise RuntimeError("OpenConnection refused")
        link.put_ComPort(com_port)
        link.put_TimeOut(500)
        if not link.Connect():
            raise RuntimeError("Connect failed")
        values, result = link.ReadOutputRegisters(slave, start, quantity, missing(), missing(), missing())
        if result != 0:
            raise RuntimeError("ReadOutputRegisters result 0x%08X" % (result & 0xFFFFFFFF))
        vt, array = values
        if vt != 0x2003:
            raise RuntimeError("unexpected VARIANT type 0x%04X" % vt)
        for v in array:
            print(int(v))
        link.CloseConnection()
    except (dbus.DBusException, RuntimeError) as e:
        print(e, file=sys.stderr)
        return 2
    finally:
        dbus.Interface(bus.get_object(BUS_NAME, path), "org.aviary.Tern.IUnknown").Release()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
