#pragma once
// The real Merlin link: a ModBusLink object of the Tern link server, found
// by its ProgID (a running server, or one started on demand). Every window
// that talks to drives holds its own, and all open Tern's shared serial
// connection "XYZ", so Tern serialises their frames on the one port.
//
// When no object can be created the message "Unable to Start Link Server"
// goes through the message seam once, and every operation then fails: the
// register calls with kLinkCallFailed (-1), OpenLink with false.
//
// Calls block the calling thread until Tern answers. Each call may wait
// longer than Tern's own time-out times its attempts (plus the wait for a
// line another client is using), so a slow drive is reported by Tern as a
// time-out and never mistaken for a server that has gone.
#include <merlin/core/CModbusLink.h>
#include <tern/client/ModBusLinkClient.h>

#include <memory>
#include <string>

namespace merlin {

class CTernLink : public CModbusLink {
public:
    // Starts or attaches to the link server at once (StartLinkServer).
    explicit CTernLink(const LinkSettings& settings, const std::string& progId = tern::identity::kProgId);
    ~CTernLink() override;
    CTernLink(const CTernLink&) = delete;
    CTernLink& operator=(const CTernLink&) = delete;

    // 1 with a link object, 0 (after the message) without one.
    int StartLinkServer();
    bool IsStarted() const { return client_.isAttached(); }

    bool OpenLink() override;
    bool OpenLinkWithTimeout(uint32_t timeoutMs) override;
    void CloseLink() override;
    void SetRetries(int retries) override;
    void RestoreRetries() override;
    int ReadRegister(int station, int registerOffset, uint16_t& value) override;
    int WriteRegister(int station, int registerOffset, uint16_t value) override;

    // The settings this link opens with; changing them takes effect at the
    // next OpenLink, as the program parameters do.
    const LinkSettings& Settings() const { return settings_; }
    void SetSettings(const LinkSettings& settings) { settings_ = settings; }
    std::string PortProblem() const override { return problem_; }

    // The named connection every Merlin link shares, of type 1 (serial line).
    static constexpr const char* kConnectionName = "XYZ";
    // Another name: a line of its own beside the program's (a backup of
    // another line), shared only by the links that name it too.
    void SetConnectionName(const std::string& name) { connectionName_ = name; }

private:
    bool openConnection();
    void writeTiming(uint32_t timeoutMs);
    void updateCallTimeout();
    static int resultOf(tern::HRESULT hr, int32_t value);

    tern::ModBusLinkClient client_;
    std::string progId_;
    std::string connectionName_ = kConnectionName;
    LinkSettings settings_;
    std::string problem_;
    void connect();
    uint32_t timeoutMs_ = 0;   // what the server was last given
    int retries_ = 0;
};

}  // namespace merlin
