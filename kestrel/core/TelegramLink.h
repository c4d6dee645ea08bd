#pragma once
// The list windows' line: a ParameterLink over the telegram object that
// claims the port for each use (IsPortBusy until free, OpenPort) and hands
// it back (ClosePort) on every path, so a window never touches the port and
// a failure never leaves the port claimed. The operation flag is the
// caller's: it holds it around the sequence of uses it makes.
//
// Each use first makes the link's drive the current device address: several
// online lists and keypads share one telegram object, and whichever of them
// selected a drive last must not redirect this one's telegrams.
#include <kestrel/core/CTelegram.h>
#include <kestrel/core/ParameterLink.h>

#include <string>

namespace kestrel {

class TelegramLink : public ParameterLink {
public:
    // address: decimal text of the drive (0..31).
    TelegramLink(CTelegram& telegram, std::string address) : telegram_(telegram), address_(std::move(address)) {}

    // One read with the normal repeat count; nullopt when the drive did not
    // answer or the port could not be claimed.
    std::optional<Reply> read(std::string_view number) override;
    // One write; true when the drive acknowledged.
    bool write(std::string_view text) override;
    // Another operation holds the line (the operation flag is set).
    bool busy() const override;

    const std::string& address() const { return address_; }
    // The telegram status of the last use (-1: the line never became ready).
    int lastStatus() const { return lastStatus_; }

private:
    class Session;

    CTelegram& telegram_;
    std::string address_;
    int lastStatus_ = 0;
};

}  // namespace kestrel
