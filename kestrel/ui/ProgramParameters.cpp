#include <kestrel/ui/ProgramParameters.h>

namespace kestrel {

ProgramParameters ProgramParameters::from(const TelegramSettings& t)
{
    return {t.repeat, t.delayNak, t.tRts, t.tWait, t.rtsMode};
}

void ProgramParameters::storeInto(TelegramSettings& t) const
{
    t.repeat = repeat;
    t.delayNak = delayNak;
    t.tRts = tRts;
    t.tWait = tWait;
    t.rtsMode = rts;
}

}  // namespace kestrel
