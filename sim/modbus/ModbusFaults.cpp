#include <sim/modbus/ModbusFaults.h>

#include <platform/ParseInt.h>

#include <map>

namespace sim {

std::optional<ModbusFault> parseFault(const std::string& text) {
    static const std::map<std::string, FaultKind> kKinds{
        {"noreply", FaultKind::NoReply},       {"badcrc", FaultKind::BadChecksum},
        {"badlrc", FaultKind::BadChecksum},    {"short", FaultKind::ShortFrame},
        {"wrongaddr", FaultKind::WrongAddress}, {"noise", FaultKind::Noise},
        {"delay", FaultKind::Delay},
    };
    const size_t colon = text.find(':');
    const auto kind = kKinds.find(text.substr(0, colon));
    if (kind == kKinds.end()) return std::nullopt;
    ModbusFault fault{kind->second, 0};
    if (colon != std::string::npos) {
        const auto arg = platform::parseInt<uint32_t>(std::string_view(text).substr(colon + 1));
        if (!arg) return std::nullopt;
        fault.arg = *arg;
    } else if (fault.kind == FaultKind::Delay) {
        return std::nullopt;   // a delay needs its length
    }
    return fault;
}

void FaultInjector::add(const ModbusFault& fault) {
    std::lock_guard guard(mutex_);
    active_.push_back({fault, fault.kind == FaultKind::Delay ? 0 : fault.arg});
}

void FaultInjector::clear() {
    std::lock_guard guard(mutex_);
    active_.clear();
}

bool FaultInjector::empty() const {
    std::lock_guard guard(mutex_);
    return active_.empty();
}

FaultPlan FaultInjector::next() {
    std::lock_guard guard(mutex_);
    FaultPlan plan;
    for (Active& a : active_) {
        switch (a.fault.kind) {
        case FaultKind::NoReply: plan.noReply = true; break;
        case FaultKind::BadChecksum: plan.badChecksum = true; break;
        case FaultKind::ShortFrame: plan.shortFrame = true; break;
        case FaultKind::WrongAddress: plan.wrongAddress = true; break;
        case FaultKind::Noise: plan.noise = true; break;
        case FaultKind::Delay: plan.delayMs += a.fault.arg; break;
        }
    }
    // Limited faults count down and go.
    for (Active& a : active_) {
        if (a.left > 0) --a.left;
    }
    std::erase_if(active_, [](const Active& a) { return a.fault.kind != FaultKind::Delay && a.fault.arg != 0 && a.left == 0; });
    return plan;
}

}  // namespace sim
