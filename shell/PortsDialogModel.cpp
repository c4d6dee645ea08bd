#include <shell/PortsDialogModel.h>

#include <platform/PortMap.h>
#include <platform/RemoteSerialPort.h>

#include <algorithm>
#include <cstdlib>

namespace shell {

std::string deviceLabel(const platform::SerialDeviceInfo& d)
{
    if (d.maker.empty() && d.serial.empty()) return d.path == d.device ? d.path : d.model + " (" + d.device + ")";
    std::string model = d.model;
    std::replace(model.begin(), model.end(), '_', ' ');
    return d.maker + " " + model + ", serial " + d.serial + " (" + d.device + ")";
}

std::string comEntryText(int com)
{
    const std::string device = platform::comPortDevice(com);
    return device + (platform::devicePresent(device) ? "" : "  (not present)");
}

PortsDialogModel::PortsDialogModel(std::string devRoot) : devRoot_(std::move(devRoot))
{
    view_.devices = platform::listSerialDevices(devRoot_);
    for (const auto& d : view_.devices) view_.deviceLabels.push_back(deviceLabel(d));
    for (int n = 1; n <= platform::kMappedPorts; ++n) {
        PortsView::Mapping m;
        m.com = n;
        m.device = platform::comPortDevice(n);
        m.present = platform::devicePresent(m.device);
        const char* env = std::getenv(("AVIARY_" + platform::comPortName(n)).c_str());
        m.fixedByEnvironment = env && *env;
        view_.mappings.push_back(m);
    }
    dirty_.assign(view_.mappings.size(), false);
}

void PortsDialogModel::set(int com, const std::string& device)
{
    if (com < 1 || com > platform::kMappedPorts) return;
    PortsView::Mapping& m = view_.mappings[size_t(com - 1)];
    if (m.device == device) return;
    m.device = device;
    m.present = platform::devicePresent(device);
    dirty_[size_t(com - 1)] = true;
    view_.changed = true;
}

void PortsDialogModel::choose(int com, size_t index)
{
    if (index < view_.devices.size()) set(com, view_.devices[index].path);
}

std::vector<platform::Notice> PortsDialogModel::enter(int com, const std::string& text)
{
    const bool path = !text.empty() && text[0] == '/';
    if (!path && !platform::parseRemoteAddress(text))
        return {{"\"" + text + "\" is neither a device path (/dev/...) nor a serial device server "
                 "(tcp://host:port or rfc2217://host:port).",
                 platform::MsgIcon::Exclamation}};
    set(com, text);
    return {};
}

std::vector<platform::Notice> PortsDialogModel::save()
{
    std::vector<platform::Notice> notices;
    for (const auto& m : view_.mappings) {
        if (!dirty_[size_t(m.com - 1)]) continue;
        if (!platform::setComPortDevice(m.com, m.device)) {
            notices.push_back({"The port settings could not be written to ports.ini.", platform::MsgIcon::Stop});
            return notices;
        }
        dirty_[size_t(m.com - 1)] = false;
        if (m.fixedByEnvironment)
            notices.push_back({platform::comPortName(m.com) + " is saved, but AVIARY_" + platform::comPortName(m.com)
                                   + " is set and decides while it is.",
                               platform::MsgIcon::Information});
    }
    view_.changed = false;
    return notices;
}

}  // namespace shell
