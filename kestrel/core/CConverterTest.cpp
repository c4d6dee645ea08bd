#include <kestrel/core/CConverterTest.h>

#include <kestrel/core/FormatValue.h>
#include <kestrel/core/KestrelState.h>
#include <kestrel/core/ParameterNumbers.h>

#include <platform/ParseInt.h>

#include <algorithm>
#include <cstdio>

namespace kestrel {

using platform::MsgIcon;

namespace {

std::optional<long> parseNumber(const std::string& text)
{
    size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos)
        return std::nullopt;
    const size_t e = text.find_last_not_of(' ') + 1;
    return platform::parseInt<long>(std::string_view(text).substr(b, e - b));
}

std::optional<platform::Notice> rangeCheck(const std::string& text, long lo, long hi)
{
    const auto v = parseNumber(text);
    if (v && *v >= lo && *v <= hi)
        return std::nullopt;
    return platform::Notice{platform::strFormat("Please enter an integer between %ld and %ld.", lo, hi),
                            MsgIcon::Exclamation};
}

}  // namespace

CConverterTest::CConverterTest(CTelegram& telegram) : telegram_(telegram)
{
    KestrelState& s = state();
    view_.fields.tRts = std::to_string(s.settings.tRts);
    view_.fields.tWait = std::to_string(s.settings.tWait);
    view_.fields.tCycle = std::to_string(s.settings.tCycle);
    s.operationInProgress = true;
    telegram_.OpenPort(false);
    telegram_.SetRepeat(1);
}

CConverterTest::~CConverterTest()
{
    if (!ended_)
        End();
}

std::optional<platform::Notice> CConverterTest::SetFields(const Fields& f)
{
    if (auto n = rangeCheck(f.device, 0, 99))
        return n;
    if (auto n = rangeCheck(f.tRts, 1, 10000))
        return n;
    if (auto n = rangeCheck(f.tWait, 1, 10000))
        return n;
    if (auto n = rangeCheck(f.tCycle, 1, 0x7FFFFFFF))
        return n;
    if (f.value.size() > 4)
        return platform::Notice{"Please enter no more than 4 characters.", MsgIcon::Exclamation};
    view_.fields = f;
    view_.valueVisible = f.writeMode;
    return std::nullopt;
}

CConverterTest::Reaction CConverterTest::Press(Command command, const Fields& typed)
{
    Reaction r;
    const bool takesFields = command == Command::OneShot || command == Command::ReadErrorRegister ||
                             (command == Command::StartStop && !view_.running);
    if (takesFields) {
        r.notice = SetFields(typed);
        if (r.notice) return r;
    }
    switch (command) {
    case Command::StartStop:
        if (view_.running) {
            Stop();
            r.stopTimer = true;
        } else {
            r.startTimerMs = std::max(1, Start());
        }
        break;
    case Command::OneShot: OneShot(); break;
    case Command::ReadErrorRegister: ReadErrorRegister(); break;
    case Command::Reset: Reset(); break;
    case Command::ReadMode:
    case Command::WriteMode: SetWriteMode(command == Command::WriteMode); break;
    case Command::End:
        // Times out of range are not kept; the window closes all the same.
        (void)SetFields(typed);
        End();
        r.stopTimer = true;
        r.close = true;
        break;
    }
    return r;
}

void CConverterTest::SetWriteMode(bool write)
{
    view_.fields.writeMode = write;
    view_.valueVisible = write;
}

void CConverterTest::applyTimes()
{
    TelegramSettings& s = state().settings;
    s.tRts = static_cast<int>(parseNumber(view_.fields.tRts).value_or(s.tRts));
    s.tWait = static_cast<int>(parseNumber(view_.fields.tWait).value_or(s.tWait));
}

int CConverterTest::cyclePeriod() const
{
    return static_cast<int>(parseNumber(view_.fields.tCycle).value_or(state().settings.tCycle));
}

bool CConverterTest::exchange(const std::string& parameter, bool write)
{
    applyTimes();
    state().currentAddress =
        platform::strFormat("%.2d", static_cast<int>(parseNumber(view_.fields.device).value_or(0)));
    const char a = CTelegram::addressCharacter(state().currentAddress);
    bool ok;
    if (write) {
        const std::string text = parameter + view_.fields.value;
        lastRequest_ = CTelegram::writeRequest(a, text);
        ok = telegram_.WriteParameter(text);
    } else {
        lastRequest_ = CTelegram::readRequest(a, parameter);
        ok = telegram_.ReadParameter(parameter);
    }
    view_.receive = FormatTelegram(telegram_.reply());
    const uint32_t errors = telegram_.LineErrors();
    if (errors & 1u)
        view_.breakIcon = kIconLit;
    if (errors & 2u)
        view_.frameIcon = kIconLit;
    return ok;
}

bool CConverterTest::OneShot()
{
    return exchange(view_.fields.parameter, view_.fields.writeMode);
}

bool CConverterTest::ReadErrorRegister()
{
    return exchange(std::string(param::kErrorRegister.digits()), false);
}

int CConverterTest::Start()
{
    view_.running = true;
    view_.editsReadOnly = true;
    view_.oneShotEnabled = false;
    view_.startText = "Stop";
    return cyclePeriod();
}

void CConverterTest::Stop()
{
    view_.running = false;
    view_.editsReadOnly = false;
    view_.oneShotEnabled = true;
    view_.startText = "Start";
}

void CConverterTest::Tick()
{
    if (!view_.running || view_.stoppedByError)
        return;
    if (!OneShot() && view_.fields.stopOnError)
        view_.stoppedByError = true;
}

void CConverterTest::Reset()
{
    view_.breakIcon = kIconOff;
    view_.frameIcon = kIconOff;
    telegram_.ClearLineErrors();
    view_.stoppedByError = false;
}

void CConverterTest::End()
{
    if (ended_)
        return;
    ended_ = true;
    view_.running = false;
    telegram_.ClosePort(false);
    telegram_.ResetRepeat();
    applyTimes();
    state().settings.tCycle = cyclePeriod();
    state().operationInProgress = false;
}

}  // namespace kestrel
