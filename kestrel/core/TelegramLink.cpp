#include <kestrel/core/TelegramLink.h>

#include <kestrel/core/KestrelState.h>

namespace kestrel {

// Claims the port for one use and always gives it back.
class TelegramLink::Session {
public:
    explicit Session(TelegramLink& link) : link_(link)
    {
        state().currentAddress = link.address_;
        open_ = link.telegram_.WaitForPort() && link.telegram_.OpenPort(false);
    }
    ~Session() { link_.telegram_.ClosePort(false); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    bool open() const { return open_; }

private:
    TelegramLink& link_;
    bool open_ = false;
};

bool TelegramLink::busy() const
{
    return state().operationInProgress;
}

std::optional<ParameterLink::Reply> TelegramLink::read(std::string_view number)
{
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
    Session session(*this);
    if (!session.open())
        return false;
    const bool ok = telegram_.WriteParameter(text);
    lastStatus_ = telegram_.status();
    return ok;
}

}  // namespace kestrel
