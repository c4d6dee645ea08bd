#include <kestrel/core/ExaminationModel.h>

#include <kestrel/core/FaultHistory.h>
#include <kestrel/core/KestrelState.h>

#include <algorithm>

namespace kestrel {

ExaminationModel::~ExaminationModel()
{
    // A dialog closed mid-examination still writes what it found and frees
    // the line.
    if (started_ && !ended_)
        exam_.finish(CNetworkExamination::Done);
}

std::optional<platform::Notice> ExaminationModel::PortTestNotice()
{
    if (kestrel::state().portTestResult == 1)
        return platform::Notice{kOtherDeviceText, platform::MsgIcon::Exclamation};
    return std::nullopt;
}

platform::Notice ExaminationModel::noDeviceNotice()
{
    return {"No device is connected to the network !", platform::MsgIcon::Stop};
}

ExaminationModel::State ExaminationModel::Start()
{
    started_ = true;
    const int r = exam_.start();
    if (r != 0)
        return end(r);
    view_.statusPane = CNetworkExamination::kStatusText;
    view_.progress = 0;
    return State::Running;
}

ExaminationModel::State ExaminationModel::Tick()
{
    if (ended_)
        return State::Ended;
    const int r = exam_.step();
    view_.progress = std::min(exam_.progress(), kLastAddress);
    if (r == CNetworkExamination::GoOn)
        return State::Running;
    return end(r == CNetworkExamination::Finished ? CNetworkExamination::Done : r);
}

ExaminationModel::State ExaminationModel::Stop()
{
    if (ended_)
        return State::Ended;
    return end(CNetworkExamination::Done);
}

ExaminationModel::State ExaminationModel::end(int result)
{
    result_ = result;
    ended_ = true;
    notices_ = exam_.finish(result);
    view_.statusPane = "Ready";
    noDevice_ = kestrel::state().noDevice;
    if (result >= 0 && noDevice_)
        notices_.push_back(noDeviceNotice());
    return State::Ended;
}

}  // namespace kestrel
