#!/usr/bin/env python3
"""Writes the parameter definition files of the drives we ship.

    python3 make_dpf.py [output directory]     (default: this directory)

Each drive is described by its groups of parameters; the script numbers the
strings, parameters, list entries and choice lists and writes the sections in
the order the reader needs them: [Strings] before everything that refers to
string keys ([Enum], [Fault Code]), [Parameters] before the fault registers.

Register map shared by the drives (4xxxx notation, offset = register - 40000):
  40010           application macro (not carried over when the definition changes)
  40050, 40052    status word 1, status word 2 (bit 1: enable)
  40060, 40061    active fault 1 and 2 (index into [Fault Code])
  40201, 40202    control word 1 and 2
  40203, 40205    speed reference 1 and 2 (0.01 Hz)
  40261..40268    fault history 1..8
  40298, 40299    password, password level
  40981           parameter lock (protected)
  40996..40999    software version, application, device type, serial number
"""
import os
import sys

# --- building blocks --------------------------------------------------------
# A parameter: (name, type, min, max, unit or choice list, access, register,
#               default). type < 10: choice; 10 + decimals: numeric.


def num(name, decimals, lo, hi, unit, reg, default, access=0):
    return (name, 10 + decimals, lo, hi, unit, access, reg, default)


def choice(name, options, reg, default=0, access=0, lo=0, hi=None):
    return (name, 1, lo, len(options) - 1 if hi is None else hi, tuple(options), access, reg, default)


def ro(name, decimals, lo, hi, unit, reg, default=0):
    return num(name, decimals, lo, hi, unit, reg, default, access=1)


NO_YES = ("No", "Yes")
OFF_ON = ("Off", "On")
DI_FUNCTIONS = ("Not used", "Start forward", "Start reverse", "Stop", "Fault reset",
                "External fault", "Preset speed B0", "Preset speed B1", "Preset speed B2",
                "Ramp 2 select", "Jog", "Motor potentiometer up", "Motor potentiometer down",
                "DC brake", "Run enable")
DO_FUNCTIONS = ("Not used", "Ready", "Run", "Fault", "Fault inverted", "Warning",
                "Reverse", "At speed", "Over temperature", "Current limit", "Brake control")
AO_FUNCTIONS = ("Not used", "Output frequency", "Frequency reference", "Motor speed",
                "Motor current", "Motor torque", "Motor power", "DC link voltage")
AI_RANGES = ("0..10 V", "2..10 V", "0..20 mA", "4..20 mA", "-10..+10 V")
FAULT_RESPONSES = ("No action", "Warning", "Fault and coast", "Fault and ramp stop")
REF_SOURCES = ("Analog input 1", "Analog input 2", "Keypad", "Fieldbus", "Motor potentiometer",
               "Preset speeds", "PID output")
CONTROL_PLACES = ("Terminals", "Keypad", "Fieldbus")
MOTOR_CONTROL = ("V/f control", "Open loop vector", "Closed loop vector")
STOP_MODES = ("Coast", "Ramp")
START_MODES = ("Ramp", "Flying start")
UF_CURVES = ("Linear", "Squared", "Programmable")
LANGUAGES = ("English", "Deutsch", "Francais", "Italiano", "Espanol")
BAUD_RATES = ("9600", "19200", "38400", "57600", "115200")
PARITIES = ("None", "Even", "Odd")


def identification(device_type, application, version, serial):
    return ("Identification", "ID", [
        ro("Software version", 0, 0, 9999, None, 40996, version),
        ro("Application", 0, 0, 99, None, 40997, application),
        ro("Device type", 0, 0, 99, None, 40998, device_type),
        ro("Serial number", 0, 0, 65535, None, 40999, serial),
        ro("Nominal power", 2, 0, 65535, "kW", 40990),
        ro("Nominal current", 1, 0, 9999, "A", 40991),
        ro("Nominal voltage", 0, 0, 1000, "V", 40992),
        ro("Power unit code", 0, 0, 255, None, 40993),
        ro("Operating hours", 0, 0, 65535, "h", 40994),
        ro("Energy counter", 1, 0, 65535, "MWh", 40995),
    ])


def monitoring():
    return ("Monitoring", "MON", [
        ro("Output frequency", 2, -32000, 32000, "Hz", 40001),
        ro("Frequency reference", 2, -32000, 32000, "Hz", 40002),
        ro("Motor speed", 0, -30000, 30000, "rpm", 40003),
        ro("Motor current", 1, 0, 9999, "A", 40004),
        ro("Motor torque", 1, -3000, 3000, "%", 40005),
        ro("Motor power", 1, -3000, 3000, "%", 40006),
        ro("Motor voltage", 0, 0, 1000, "V", 40007),
        ro("DC link voltage", 0, 0, 1200, "V", 40008),
        ro("Unit temperature", 0, -20, 150, "C", 40009),
        ro("Analog input 1", 1, 0, 1000, "%", 40011),
        ro("Analog input 2", 1, 0, 1000, "%", 40012),
        ro("Digital inputs", 0, 0, 255, None, 40013),
        ro("Digital outputs", 0, 0, 15, None, 40014),
        ro("Status word 1", 0, 0, 65535, None, 40050),
        ro("Status word 2", 0, 0, 65535, None, 40052),
    ])


def control():
    return ("Control", "CTRL", [
        num("Control word 1", 0, 0, 65535, None, 40201, 0),
        num("Control word 2", 0, 0, 65535, None, 40202, 0),
        num("Speed reference 1", 2, 0, 32500, "Hz", 40203, 0),
        num("Speed reference 2", 2, 0, 32500, "Hz", 40205, 0),
        choice("Control place", CONTROL_PLACES, 40210, 0),
        choice("Reference source", REF_SOURCES, 40211, 0),
        choice("Reverse enabled", NO_YES, 40212, 1),
        choice("Keypad stop button", ("Active", "Only in keypad control"), 40213, 0),
    ])


def basic(max_freq, nominal_current):
    return ("Basic settings", "BASIC", [
        choice("Application macro", ("Standard", "Pump", "Fan", "Conveyor", "Lift"), 40010, 0),
        num("Minimum frequency", 2, 0, 32000, "Hz", 40101, 0),
        num("Maximum frequency", 2, 0, 32000, "Hz", 40102, max_freq),
        num("Acceleration time 1", 1, 1, 30000, "s", 40103, 30),
        num("Deceleration time 1", 1, 1, 30000, "s", 40104, 30),
        num("Current limit", 1, 1, 9999, "A", 40105, nominal_current * 3 // 2),
        choice("Start function", START_MODES, 40106, 0),
        choice("Stop function", STOP_MODES, 40107, 1),
        num("Jog speed", 2, 0, 32000, "Hz", 40108, 500),
        choice("Language", LANGUAGES, 40109, 0),
    ])


def motor(nominal_current):
    return ("Motor data", "MOTOR", [
        num("Motor nominal voltage", 0, 180, 690, "V", 40111, 400),
        num("Motor nominal frequency", 2, 800, 32000, "Hz", 40112, 5000),
        num("Motor nominal speed", 0, 24, 20000, "rpm", 40113, 1440),
        num("Motor nominal current", 1, 1, 9999, "A", 40114, nominal_current),
        num("Motor cos phi", 2, 30, 100, None, 40115, 85),
        choice("Motor control mode", MOTOR_CONTROL, 40116, 0),
        num("Magnetizing current", 1, 0, 9999, "A", 40117, nominal_current // 3),
        choice("Motor type", ("Induction", "Permanent magnet"), 40118, 0),
        num("Stator resistance", 3, 0, 65000, "Ohm", 40119, 1500),
        choice("Identification run", ("None", "Standstill", "Rotating"), 40120, 0),
    ])


def ramps():
    return ("Ramps and brakes", "RAMPS", [
        num("Acceleration time 2", 1, 1, 30000, "s", 40121, 100),
        num("Deceleration time 2", 1, 1, 30000, "s", 40122, 100),
        num("Ramp 1 S-shape", 1, 0, 100, "s", 40123, 0),
        num("Ramp 2 S-shape", 1, 0, 100, "s", 40124, 0),
        num("DC brake current", 1, 0, 9999, "A", 40125, 0),
        num("DC brake time at start", 2, 0, 60000, "s", 40126, 0),
        num("DC brake time at stop", 2, 0, 60000, "s", 40127, 0),
        num("DC brake frequency", 2, 10, 1000, "Hz", 40128, 150),
        choice("Brake chopper", ("Not used", "Used when running", "Always"), 40129, 0),
        choice("Flux braking", OFF_ON, 40130, 0),
    ])


def inputs():
    items = [choice("Digital input %d function" % n, DI_FUNCTIONS, 40130 + n, (1, 2, 4, 6, 7, 8)[n - 1])
             for n in range(1, 7)]
    items += [
        choice("Analog input 1 range", AI_RANGES, 40141, 0),
        num("Analog input 1 filter time", 2, 0, 1000, "s", 40142, 10),
        num("Analog input 1 minimum", 1, -1600, 1600, "%", 40143, 0),
        num("Analog input 1 maximum", 1, -1600, 1600, "%", 40144, 1000),
        choice("Analog input 2 range", AI_RANGES, 40145, 3),
        num("Analog input 2 filter time", 2, 0, 1000, "s", 40146, 10),
        num("Analog input 2 minimum", 1, -1600, 1600, "%", 40147, 0),
        num("Analog input 2 maximum", 1, -1600, 1600, "%", 40148, 1000),
        choice("Input polarity", ("Active high", "Active low"), 40149, 0),
    ]
    return ("Input signals", "IN", items)


def outputs():
    items = [choice("Relay output %d function" % n, DO_FUNCTIONS, 40150 + n, (2, 3, 1)[n - 1])
             for n in range(1, 4)]
    items += [
        choice("Digital output function", DO_FUNCTIONS, 40154, 7),
        choice("Analog output function", AO_FUNCTIONS, 40155, 1),
        choice("Analog output range", ("0..20 mA", "4..20 mA", "0..10 V"), 40156, 0),
        num("Analog output filter time", 2, 0, 1000, "s", 40157, 100),
        num("Analog output scale", 0, 10, 1000, "%", 40158, 100),
        num("Relay 1 on delay", 1, 0, 3200, "s", 40159, 0),
        num("Relay 1 off delay", 1, 0, 3200, "s", 40160, 0),
        num("Frequency limit supervision", 2, 0, 32000, "Hz", 40161, 0),
    ]
    return ("Output signals", "OUT", items)


def presets():
    return ("Preset speeds", "PRESET", [num("Preset speed %d" % n, 2, 0, 32000, "Hz", 40170 + n, 500 * n)
                                        for n in range(1, 8)])


def drive_control(switching_max):
    return ("Drive control", "DRIVE", [
        num("Switching frequency", 1, 15, switching_max, "kHz", 40181, 40),
        choice("U/f curve", UF_CURVES, 40182, 0),
        num("U/f midpoint frequency", 2, 0, 32000, "Hz", 40183, 2500),
        num("U/f midpoint voltage", 1, 0, 1000, "%", 40184, 500),
        num("Voltage at zero frequency", 1, 0, 400, "%", 40185, 13),
        choice("Torque boost", OFF_ON, 40186, 0),
        choice("Overvoltage controller", OFF_ON, 40187, 1),
        choice("Undervoltage controller", OFF_ON, 40188, 1),
        num("Slip compensation", 0, 0, 200, "%", 40189, 100),
        choice("Sinus filter", NO_YES, 40190, 0),
        num("Skip frequency low", 2, 0, 32000, "Hz", 40191, 0),
        num("Skip frequency high", 2, 0, 32000, "Hz", 40192, 0),
    ])


def protections():
    return ("Protections", "PROT", [
        choice("Response to 4 mA fault", FAULT_RESPONSES, 40221, 1),
        choice("Response to external fault", FAULT_RESPONSES, 40222, 2),
        choice("Input phase supervision", FAULT_RESPONSES, 40223, 2),
        choice("Output phase supervision", FAULT_RESPONSES, 40224, 2),
        choice("Earth fault protection", FAULT_RESPONSES, 40225, 2),
        choice("Motor thermal protection", FAULT_RESPONSES, 40226, 2),
        num("Motor ambient temperature", 0, -20, 100, "C", 40227, 40),
        num("Motor cooling at zero speed", 1, 50, 1500, "%", 40228, 400),
        num("Motor thermal time constant", 0, 1, 200, "min", 40229, 45),
        choice("Stall protection", FAULT_RESPONSES, 40230, 0),
        num("Stall current", 1, 1, 9999, "A", 40231, 100),
        num("Stall time limit", 2, 100, 12000, "s", 40232, 1500),
        choice("Underload protection", FAULT_RESPONSES, 40233, 0),
        choice("Fieldbus fault response", FAULT_RESPONSES, 40234, 2),
        num("Fieldbus time-out", 1, 0, 600, "s", 40235, 0),
        choice("Automatic restart", OFF_ON, 40236, 0),
        num("Restart wait time", 2, 10, 1000, "s", 40237, 50),
        num("Restart trial time", 2, 0, 6000, "s", 40238, 3000),
    ])


def pid():
    return ("PID controller", "PID", [
        choice("PID controller", ("Not used", "Used"), 40241, 0),
        choice("PID setpoint source", ("Keypad", "Analog input 1", "Analog input 2", "Fieldbus"), 40242, 0),
        choice("PID feedback source", ("Analog input 1", "Analog input 2", "Fieldbus"), 40243, 1),
        num("PID gain", 2, 0, 10000, "%", 40244, 10000),
        num("PID integration time", 2, 0, 32000, "s", 40245, 100),
        num("PID derivation time", 2, 0, 10000, "s", 40246, 0),
        num("PID keypad setpoint", 1, 0, 1000, "%", 40247, 500),
        choice("PID error inversion", NO_YES, 40248, 0),
        num("PID minimum output", 1, 0, 1000, "%", 40249, 0),
        num("PID maximum output", 1, 0, 1000, "%", 40250, 1000),
        num("Sleep frequency", 2, 0, 32000, "Hz", 40251, 0),
        num("Sleep delay", 0, 0, 3600, "s", 40252, 30),
        num("Wake-up level", 1, 0, 1000, "%", 40253, 250),
    ])


def faults():
    items = [ro("Active fault 1", 0, 0, 255, None, 40060), ro("Active fault 2", 0, 0, 255, None, 40061)]
    items += [ro("Fault history %d" % n, 0, 0, 255, None, 40260 + n) for n in range(1, 9)]
    items += [choice("Reset fault history", NO_YES, 40269, 0)]
    return ("Fault History", "FAULTS", items)


def system(modbus_address_reg=40280):
    return ("System", "SYS", [
        num("Modbus address", 0, 1, 247, None, modbus_address_reg, 1),
        choice("Modbus baud rate", BAUD_RATES, modbus_address_reg + 1, 0),
        choice("Modbus parity", PARITIES, modbus_address_reg + 2, 1),
        num("Modbus response delay", 0, 0, 200, "ms", modbus_address_reg + 3, 5),
        choice("Keypad contrast", ("Low", "Medium", "High"), 40290, 1),
        choice("Default page", ("Output frequency", "Motor current", "Motor speed", "Motor power"), 40291, 0),
        choice("Fan control", ("Continuous", "Temperature", "Run"), 40292, 1),
        choice("Restore factory defaults", NO_YES, 40293, 0),
        num("Password", 0, 0, 9999, None, 40298, 0),
        num("Password level", 0, 0, 3, None, 40299, 0),
        choice("Parameter lock", ("Unlocked", "Locked"), 40981, 0),
    ])


def sequencer():
    items = []
    for step in range(1, 9):
        items.append(num("Step %d speed" % step, 2, 0, 32000, "Hz", 40300 + 3 * step, 1000 + 250 * step))
        items.append(num("Step %d time" % step, 1, 0, 32000, "s", 40301 + 3 * step, 100))
        items.append(choice("Step %d direction" % step, ("Forward", "Reverse"), 40302 + 3 * step, 0))
    items += [
        choice("Sequencer mode", ("Single run", "Continuous", "Step by input"), 40330, 0),
        choice("Sequencer start", ("Digital input", "Fieldbus", "Power up"), 40331, 0),
        ro("Active step", 0, 0, 8, None, 40332),
        ro("Step time remaining", 1, 0, 32000, "s", 40333),
    ]
    return ("Sequencer", "SEQ", items)


def pump_fan():
    return ("Pump and fan", "PFC", [
        choice("Multi-pump control", OFF_ON, 40341, 0),
        num("Number of auxiliary pumps", 0, 0, 4, None, 40342, 0),
        num("Start frequency aux pump", 2, 0, 32000, "Hz", 40343, 4800),
        num("Stop frequency aux pump", 2, 0, 32000, "Hz", 40344, 2500),
        num("Start delay aux pump", 0, 0, 3600, "s", 40345, 4),
        num("Stop delay aux pump", 0, 0, 3600, "s", 40346, 2),
        choice("Pump autochange", OFF_ON, 40347, 0),
        num("Autochange interval", 0, 0, 3000, "h", 40348, 48),
        choice("Dry run protection", FAULT_RESPONSES, 40349, 0),
        num("Dry run current", 1, 0, 9999, "A", 40350, 0),
    ])


FAULT_CODES = [
    (0, "No fault", 0), (1, "Overcurrent", 1), (2, "Overvoltage", 2), (3, "Earth fault", 3),
    (5, "Charging switch", 5), (7, "Saturation trip", 7), (8, "System fault", 8),
    (9, "Undervoltage", 9), (10, "Input phase loss", 10), (11, "Output phase loss", 11),
    (13, "Unit undertemperature", 13), (14, "Unit overtemperature", 14), (15, "Motor stalled", 15),
    (16, "Motor overtemperature", 16), (17, "Motor underload", 17), (22, "EEPROM checksum", 22),
    (24, "Counter fault", 24), (25, "Watchdog", 25), (29, "Thermistor", 29),
    (41, "IGBT temperature", 41), (50, "Analog input below 4 mA", 50), (51, "External fault", 51),
    (52, "Keypad communication", 52), (53, "Fieldbus communication", 53),
    (54, "Slot fault", 54), (57, "Identification failed", 57), (63, "Emergency stop", 63),
]

DRIVES = [
    # file name, device type, application, version, type text, application text, groups
    ("LM3_Normal_V3.dpf", 8, 1, 3, "'LM3 '", "'Normal'", "'V3'",
     lambda: [identification(8, 1, 3, 10231), monitoring(), control(), basic(5000, 95), motor(95), ramps(),
              inputs(), outputs(), presets(), drive_control(160), protections(), pid(), pump_fan(),
              faults(), system()]),
    ("LM3 Dorrin_Sequencer_V12.dpf", 7, 2, 12, "'LM3 Dorrin'", "'Sequencer'", "'V12'",
     lambda: [identification(7, 2, 12, 20417), monitoring(), control(), basic(6000, 160), motor(160), ramps(),
              inputs(), outputs(), presets(), sequencer(), drive_control(120), protections(),
              faults(), system()]),
    ("LT4_Vexal_V2.dpf", 6, 0, 2, "'LT4'", "'Vexal'", "'V2'",
     lambda: [identification(6, 0, 2, 30052), monitoring(), control(), basic(10000, 320), motor(320), ramps(),
              inputs(), outputs(), presets(), drive_control(100), protections(), pid(),
              faults(), system(40284)]),
]


class Writer:
    """Numbers strings and choice lists as they are first used."""

    def __init__(self):
        self.strings = []          # (key, text)
        self.string_keys = {}
        self.lists = {}            # options tuple -> list number
        self.enum_lines = []       # (list, value, text key)

    def string(self, text):
        if text not in self.string_keys:
            key = len(self.strings) + 1
            self.string_keys[text] = key
            self.strings.append((key, text))
        return self.string_keys[text]

    def choice_list(self, options):
        if options not in self.lists:
            number = len(self.lists) + 1
            self.lists[options] = number
            for value, text in enumerate(options):
                self.enum_lines.append((number, value, self.string(text)))
        return self.lists[options]


def render(drive):
    name, dev_type, app, version, type_text, app_text, version_text, make_groups = drive
    groups = make_groups()
    w = Writer()
    group_lines, param_lines, list_lines = [], [], []
    param_key_of_register = {}
    for g, (title, short, params) in enumerate(groups, start=1):
        group_lines.append("%d,%d,%d, %s,%d,%d" % (g, w.string(title), g * 10, short, len(params), 0))
        for index, (pname, ptype, lo, hi, extra, access, reg, default) in enumerate(params, start=1):
            key = len(param_lines) + 1
            if isinstance(extra, tuple):
                list_or_unit = w.choice_list(extra)
            else:
                list_or_unit = w.string(extra) if extra else 0
            param_lines.append("%d,%d,%d,%d,%d,%d,%d,%d,%d, P%d.%d,0,0" % (
                key, w.string(pname), ptype, lo, hi, list_or_unit, access, reg, default, g, index))
            list_lines.append("%d,%d,%d" % (len(list_lines) + 1, g, key))
            assert reg not in param_key_of_register, "%s: register %d twice" % (name, reg)
            assert "," not in pname and not (isinstance(extra, tuple) and any("," in t for t in extra))
            param_key_of_register[reg] = key
    fault_lines = ["%d,%d,%d,%d, F%02d,0" % (n + 1, code, w.string(text), cause, code)
                   for n, (code, text, cause) in enumerate(FAULT_CODES)]
    stem = name[:-4]
    out = [
        "; Parameter definition file of the %s drive" % stem.replace("_", " "),
        "; Written by make_dpf.py; edit the script, not this file.",
        "",
        "[Language]",
        "1,English",
        "",
        "[Revision]",
        "1,%d,%s" % (dev_type, type_text),
        "2,%d,%s" % (app, app_text),
        "3,%d,%s" % (version, version_text),
        "4,'2024-05-10'",
        "5,'Aviary'",
        "6,'%s'" % stem.replace(" ", "_"),
        "",
        "[Strings]",
    ]
    # Strings are numbered while the other sections are built, so they are
    # rendered last but stand first.
    body = ["", "[Groups]"] + group_lines
    body += ["", "; key,name,type,min,max,list/unit,access,register,default,label,f9,f10", "[Parameters]"]
    body += param_lines
    body += ["", "[Parameter List]"] + list_lines
    body += ["", "[Enum]"] + ["%d,%d,%d,%d" % (n + 1, lst, value, text)
                              for n, (lst, value, text) in enumerate(w.enum_lines)]
    body += ["", "[Fault Code]"] + fault_lines
    body += ["", "[Active Faults]",
             "1,%d" % param_key_of_register[40060], "2,%d" % param_key_of_register[40061]]
    body += ["", "[Fault History]"] + ["%d,%d" % (n, param_key_of_register[40260 + n]) for n in range(1, 9)]
    body += ["", "[End]", ""]
    out += ["%d,%s" % (key, text) for key, text in w.strings]
    return "\n".join(out + body), len(param_lines), len(groups)


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for drive in DRIVES:
        text, params, groups = render(drive)
        with open(os.path.join(target, drive[0]), "w", newline="\n") as f:
            f.write(text)
        print("%s: %d groups, %d parameters" % (drive[0], groups, params))


if __name__ == "__main__":
    main()
