#pragma once
// The parameter database of a software version as an upload from a drive in
// its factory state writes it: the simulator's catalogue as 48-byte records
// and the end mark.
#include <kestrel/core/TvkRecord.h>
#include <sim/sio/SioCatalogue.h>

#include <cstdint>
#include <string>

namespace kestrel::testing {

inline std::string factoryDatabase(int version)
{
    std::string bytes;
    for (const sim::SioParameter& p : sim::SioCatalogue::forVersion(version)->records()) {
        TvkFields f;
        f.number = p.number;
        f.value = static_cast<uint16_t>(p.number == 0x00E4 ? version : p.defaultValue);
        f.name = p.name;
        f.minimum = p.minimum;
        f.maximum = p.maximum;
        f.decimals = p.decimals;
        f.defaultValue = static_cast<uint16_t>(p.defaultValue);
        f.extra = p.extra;
        f.attribute = p.attribute;
        bytes += TvkRecord::fromFields(f).bytes();
    }
    return bytes + std::string(TvkRecord::kEndMark);
}

}  // namespace kestrel::testing
