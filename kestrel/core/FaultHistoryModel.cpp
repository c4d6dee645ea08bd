#include <kestrel/core/FaultHistoryModel.h>

#include <kestrel/core/KestrelState.h>

namespace kestrel {

FaultHistoryModel::Begin FaultHistoryModel::Start()
{
    if (state().portTestResult == 1)
        return {{kOtherDeviceText, platform::MsgIcon::Exclamation}, false};
    view_.statusPane = kCollectingText;
    return {{kFewSecondsText, platform::MsgIcon::None}, true};
}

void FaultHistoryModel::Collect()
{
    // The history is read from the list's drive, whichever drive another
    // window selected last.
    state().currentAddress = address_;
    CollectFaultHistory(telegram_);
    view_.statusPane = "Ready";
    view_.title = faultDialogTitle(address_);
    view_.rows = faultHistoryRows();
}

}  // namespace kestrel
