#include <kestrel/core/TelegramLink.h>

#include <kestrel/core/KestrelState.h>

namespace kestrel {

// Claims the line for one use and always gives it back.
class TelegramLink::Session {
public:
    explicit Session(TelegramLink& link) : link_(link)
    {
        KestrelState& s = state();
        s.currentAddress = link.address_;
        s.operationInProgress = true;
        open_ = link.telegram_.WaitForPort() && link.telegram_.OpenPort(false);
    }
    ~Session()
    {
        link_.telegram_.ClosePort(false);
        state().operationInProgress = false;
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    bool open() const { return open_; }

private:
    TelegramLink& link_;
    bool open_ = false;
};

bool TelegramLink::busy() const
{
    const KestrelState& s = state();
    return s.operationInProgress || s.port.exchangeActive || s.port.pollHolds;
}

std::optional<ParameterLink::Reply> TelegramLink::read(std::string_view number)
{
    if (busy())
        return std::nullopt;
    Session session(*this);
    if (!session.open())
        return std::nullopt;
    const bool ok = telegram_.ReadParameter(number);
    lastStatus_ = telegram_.status();
    if (!ok || telegram_.valueText().size() < 4)
        return std::nullopt;
    return Reply{telegram_.paramNo(), telegram_.valueText().substr(0, 4)};
}

bool TelegramLink::write(std::string_view text)
{
    if (busy())
        return false;
    Session session(*this);
    if (!session.open())
        return false;
    bool ok = telegram_.ReadParameter("00AC");
    if (ok)
        ok = telegram_.WriteParameter(text);
    lastStatus_ = telegram_.status();
    telegram_.ReadParameter("00AC");
    return ok;
}

}  // namespace kestrel
