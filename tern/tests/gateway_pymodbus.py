#!/usr/bin/python3
"""A pymodbus master working through the Tern gateway.

usage: gateway_pymodbus.py PORT FIRST_REGISTER COUNT

Writes each of COUNT registers from FIRST_REGISTER (unit 1) with a value of
its own, reads it back with its neighbour, and prints "done N mismatches M".
pymodbus checks every reply's transaction id against its request.
"""
import sys
import types

try:
    from pymodbus.client import ModbusTcpClient
except ImportError:
    # pymodbus imports its serial clients with the TCP one; a machine without
    # pyserial can still speak Modbus/TCP.
    class _Absent(types.ModuleType):
        def __getattr__(self, name):
            return None

    for _name in ("serial", "serial_asyncio"):
        sys.modules.setdefault(_name, _Absent(_name))
    from pymodbus.client import ModbusTcpClient


def main():
    port, first, count = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
    client = ModbusTcpClient("127.0.0.1", port=port, timeout=5, retries=0)
    if not client.connect():
        print("cannot connect")
        return 1
    mismatches = 0
    for k in range(count):
        register = first + k
        value = (0x5A00 + k) & 0xFFFF
        w = client.write_register(register, value, slave=1)
        if w.isError():
            mismatches += 1
            continue
        r = client.read_holding_registers(register, 2, slave=1)
        if r.isError() or r.registers != [value, (register + 1 + 1000) & 0xFFFF]:
            mismatches += 1
    # A silent station and a refused function come back as exceptions.
    silent = client.read_holding_registers(0, 1, slave=5)
    refused = client.read_holding_registers(0, 126, slave=1)
    print("silent", getattr(silent, "exception_code", None), "refused", getattr(refused, "exception_code", None))
    print("done", count, "mismatches", mismatches)
    client.close()
    return 0 if mismatches == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
