#include <kestrel/core/Connect.h>

#include <kestrel/core/DeviceConnection.h>
#include <kestrel/core/KestrelState.h>

namespace kestrel {

using platform::MsgIcon;

namespace {

int addressNumber(const std::string& address)
{
    int a = 0;
    for (char c : address) {
        if (c < '0' || c > '9' || a > 100)
            return -1;
        a = a * 10 + (c - '0');
    }
    return a;
}

}  // namespace

ConnectPlan Connect(CTelegram& telegram, const std::string& address, bool quick)
{
    KestrelState& s = state();
    const int a = addressNumber(address);
    if (address.empty() || a < 0 || a >= kAddressCount)
        return {ConnectPlan::Nothing, platform::Notice{"No inverter selected.", MsgIcon::Exclamation}, {}};
    const char presence = s.windowPresence[static_cast<size_t>(a)];
    if (presence == '1' || presence == '2')
        return {ConnectPlan::Nothing, platform::Notice{"You are already connected to this device !", MsgIcon::Exclamation}, {}};
    s.currentAddress = address;
    s.logLine("DEVICE SELECTED - START");
    const DatabaseCheck check = CheckDatabase(telegram);
    ConnectPlan plan;
    plan.notice = check.notice;
    if (check.result != DatabaseCheck::NoConnection)
        plan.job.databaseFileName = s.databaseFileName;
    if (check.result == DatabaseCheck::NoConnection) {
        plan.next = ConnectPlan::StayOpen;
    } else if (check.result == DatabaseCheck::Complete) {
        s.operationInProgress = false;
        plan.job.listFile = MakeWorkingFile(s.installPath(s.databaseFileName));
        plan.next = quick ? ConnectPlan::OpenList : ConnectPlan::UploadValues;
    } else {
        const auto answer = platform::showMessage(kDatabankQuestion, MsgIcon::Question, platform::MsgButtons::YesNo);
        plan.next = answer == platform::MsgAnswer::Yes ? ConnectPlan::UploadDatabase : ConnectPlan::Declined;
    }
    s.logLine("DEVICE SELECTED - END");
    return plan;
}

ConnectPlan ListAfterDatabaseUpload()
{
    const KestrelState& s = state();
    ConnectPlan plan;
    plan.job.databaseFileName = s.databaseFileName;
    plan.job.listFile = MakeWorkingFile(s.installPath(s.databaseFileName));
    plan.next = plan.job.listFile.empty() ? ConnectPlan::Nothing : ConnectPlan::OpenList;
    return plan;
}

}  // namespace kestrel
