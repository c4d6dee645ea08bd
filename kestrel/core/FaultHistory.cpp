#include <kestrel/core/FaultHistory.h>

#include <kestrel/core/HexText.h>
#include <kestrel/core/KestrelState.h>
#include <kestrel/core/ParameterNumbers.h>

#include <cstdio>

namespace kestrel {

namespace {

constexpr std::array<const char*, 64> kFaults = {
    "Local Stop", "Keypad STOP button has been pushed in the remote mode",
    "Min. net voltage", "AC Line voltage too low",
    "Overtemperature", "Heat sink temperature too high ( > 90 deg C )",
    "Overcurrent", "Over current in the output stage",
    "Error PWM", "PWM Fault",
    "MOL contact open", "Motor overload terminal fault",
    "Overvoltage DC", "DC bus voltage too high",
    "Net Voltage", "DC bus or line voltage out of limit during power up",
    "Over speed", "Speed out of limit",
    "Dyn. brake-overld", "DB duty cycle above limit",
    "Reserved", "",
    "Option", "Error in option card",
    "Auto-Stop", "Auto Stop control has been detected",
    "SIO-Timeout", "Fault during serial communication",
    "Position Sensor", "Motor feedback is disconnected",
    "I2t-Watch", "Electronic overload exceeded",
    "Overtemperature", "Heat sink temperature has been reached (70 deg. C)",
    "MOL contact", "If PTC resistor connected, motor temp. too high",
    "Dyn.brake 80%", "DB Resistor overload (> 80%)",
    "Motor synchron.", "Speed synchronization in running motor does not work",
    "Option", "Option board is changed in running condition",
    "I 2 t", "Electronic overload exceeded",
    "R1-Measuring", "R1 measuring out of limit",
    "Overcurrent", "Overcurrent limit would have been reached",
    "Slaveproc.", "Communication with the slave processor is not found",
    "Cable cap.", "The cable capacitance is too high",
    "Xo-Measuring", "Xo-measuring is out of limit",
    "Set disconn", "Setpoint is below 2V / 4mA ( in case para.31 = 2 or 6)",
    "Sensor off.", "The measuring of the mounting offset failed",
    "Zero pulse", "No zero pulse is found",
    "Warn:CAN-Control", "No CAN controller found",
    "Min.excitation", "Minimum limit of excitation is reached",
};

constexpr int kAttempts = 5;

}  // namespace

FaultTextPair FaultText(int code)
{
    if (code < 0 || code > 31)
        return {};
    const auto i = static_cast<size_t>(code) * 2;
    return {kFaults[i], kFaults[i + 1]};
}

std::string FaultType(const std::string& number)
{
    int code = 0;
    for (char c : number) {
        if (c < '0' || c > '9' || code > 1000)
            break;
        code = code * 10 + (c - '0');
    }
    return code < 16 ? "Failure" : "Warning";
}

FaultCollection CollectFaultHistory(CTelegram& telegram)
{
    KestrelState& s = state();
    if (s.portTestResult == 1)
        return {false, platform::Notice{kOtherDeviceText, platform::MsgIcon::Exclamation}};
    s.operationInProgress = true;
    telegram.WaitForPort();
    telegram.OpenPort(false);
    FaultHistoryTable& h = s.faults;
    for (int i = 0; i < FaultHistoryTable::kEntries; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%.4X", param::kLastFault.number() + i);
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            if (!telegram.ReadParameter(number))
                continue;
            const auto code = parseHex4(telegram.valueText());
            if (!code || *code > 31)
                continue;
            const auto idx = static_cast<size_t>(i);
            h.number[idx] = std::to_string(*code);
            FaultTextPair t = FaultText(*code);
            h.shortName[idx] = t.shortName;
            h.cause[idx] = t.cause;
            break;
        }
    }
    telegram.ClosePort(false);
    s.operationInProgress = false;
    return {true, std::nullopt};
}

FaultRow faultHeaderRow()
{
    return {"FAULT NO.", "MESSAGE", "CAUSE", "TYPE"};
}

std::array<FaultRow, 5> faultHistoryRows()
{
    const FaultHistoryTable& h = state().faults;
    std::array<FaultRow, 5> rows;
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = {h.number[i], h.shortName[i], h.cause[i], FaultType(h.number[i])};
    return rows;
}

std::string faultDialogTitle(const std::string& address)
{
    return "Recent Failures : " + address;
}

}  // namespace kestrel
