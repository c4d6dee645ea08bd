#include <kestrel/core/BulkTransferFlow.h>

#include <kestrel/core/CTransfer.h>
#include <kestrel/core/FaultHistory.h>
#include <kestrel/core/KestrelState.h>
#include <kestrel/core/TransferCommands.h>

#include <cstdlib>

namespace kestrel {

using platform::MsgIcon;

BulkTransferFlow::BulkTransferFlow(CTelegram& telegram, TransferList list, Direction direction,
                                   Confirmation confirmation)
    : telegram_(telegram), list_(std::move(list)), direction_(direction), confirmation_(confirmation),
      fileList_(list_.deviceAddress.empty())
{
}

BulkTransferFlow::~BulkTransferFlow()
{
    // Abandoned with the transfer under way (the program quits): the list
    // gets back the values it had before.
    if (backupTaken_)
        restoreBackup(true);
}

BulkTransferFlow::Step BulkTransferFlow::notice(const platform::Notice& n, Phase then)
{
    phase_ = then;
    return {Step::ShowNotice, n};
}

BulkTransferFlow::Step BulkTransferFlow::Next()
{
    switch (phase_) {
    case Phase::Start:
        if (state().portTestResult == 1)
            return finishWith({kOtherDeviceText, MsgIcon::Exclamation});
        if (fileList_) {
            phase_ = Phase::Target;
            return {Step::SelectTarget, {}};
        }
        return checks();
    case Phase::Target: return {Step::SelectTarget, {}};
    case Phase::TargetChecks: {
        const bool upload = direction_ == Direction::Upload;
        const int a = std::atoi(list_.deviceAddress.c_str());
        const char presence = state().windowPresence[static_cast<size_t>(a & 31)];
        if (presence == '1' || presence == '2')
            return finishWith({upload ? "You are already connected to this inverter !"
                                      : "You are already connected to this device !",
                               MsgIcon::Exclamation});
        state().currentAddress = list_.deviceAddress;
        if (auto n = CheckListVersion(telegram_, list_.workPath, upload ? ListTarget::Upload : ListTarget::Download))
            return finishWith(*n);
        return checks();
    }
    case Phase::Checks: return checks();
    case Phase::SetChoice: return {Step::ChooseSet, {}};
    case Phase::Confirm: return confirm();
    case Phase::Switch:
        phase_ = Phase::Switched;
        return {Step::ShowNotice, parameterSetChangeNotice(chosenSet_)};
    case Phase::Switched: return switchSet();
    case Phase::Transfer: return startTransfer();
    case Phase::SetCancelled: return finishWith({"Download process aborted.", MsgIcon::Information});
    case Phase::BackupFailed:
        return finishWith({"'" + uploadBackupPath() + "'\ncouldn't accessed !", MsgIcon::Stop});
    case Phase::After:
    case Phase::Finished: break;
    }
    phase_ = Phase::Finished;
    return {Step::Done, {}};
}

BulkTransferFlow::Step BulkTransferFlow::checks()
{
    state().currentAddress = list_.deviceAddress;
    if (direction_ == Direction::Upload)
        return confirm();
    const DownloadTarget t = CheckDownloadTarget(telegram_, list_.workPath);
    if (!t.ok)
        return finishWith(t.notice.value_or(platform::Notice{"The inverter is not responding !", MsgIcon::Stop}));
    listSet_ = t.listSet;
    deviceSet_ = t.deviceSet;
    if (t.conflict()) {
        setText_ = parameterSetConflictText(listSet_, deviceSet_);
        phase_ = Phase::SetChoice;
        return {Step::ChooseSet, {}};
    }
    chosenSet_ = listSet_;
    return confirm();
}

std::string BulkTransferFlow::confirmationText(Direction direction, const std::string& listName,
                                               const std::string& deviceTitle)
{
    if (direction == Direction::Upload)
        return "This will upload the parameter values \nfrom device " + deviceTitle + "\ninto " + listName
               + "\n\nWould you like to continue ?";
    return "This will download the values\nfrom " + listName + "\ninto the device - " + deviceTitle
           + "\n\nWould you like to continue ?";
}

BulkTransferFlow::Step BulkTransferFlow::confirm()
{
    phase_ = Phase::Confirm;
    if (confirmation_ == Confirmation::Given) {
        Answer(true);
        return Next();
    }
    return {Step::AskYesNo, {confirmationText(direction_, list_.listName, list_.deviceTitle), MsgIcon::Question}};
}

void BulkTransferFlow::Answer(bool yes)
{
    if (phase_ != Phase::Confirm)
        return;
    if (!yes) {
        phase_ = Phase::Finished;
        return;
    }
    if (direction_ == Direction::Download) {
        phase_ = chosenSet_ != deviceSet_ ? Phase::Switch : Phase::Transfer;
        return;
    }
    // Without the copy a failed upload could not be undone: no upload then.
    backupTaken_ = BackupWorkingFile(list_.workPath);
    phase_ = backupTaken_ ? Phase::Transfer : Phase::BackupFailed;
}

void BulkTransferFlow::ChooseSet(int set)
{
    if (phase_ != Phase::SetChoice)
        return;
    if (set < 1 || set > 3) {
        phase_ = Phase::SetCancelled;
        return;
    }
    chosenSet_ = set;
    phase_ = Phase::Confirm;
}

void BulkTransferFlow::TargetChosen(const std::string& address, const std::string& title)
{
    if (phase_ != Phase::Target)
        return;
    if (address.empty()) {
        phase_ = Phase::Finished;
        return;
    }
    list_.deviceAddress = address;
    list_.deviceTitle = title;
    phase_ = Phase::TargetChecks;
}

BulkTransferFlow::Step BulkTransferFlow::switchSet()
{
    if (auto n = SwitchParameterSet(telegram_, chosenSet_))
        return finishWith(*n);
    phase_ = Phase::Transfer;
    return {Step::WarmUp, {}};
}

BulkTransferFlow::Step BulkTransferFlow::startTransfer()
{
    state().currentAddress = list_.deviceAddress;
    const bool upload = direction_ == Direction::Upload;
    job_ = TransferJob{list_.workPath, list_.databaseFileName,
                       upload ? TransferDirection::Upload : TransferDirection::Download, upload ? 0 : chosenSet_};
    phase_ = Phase::After;
    return {Step::RunTransfer, {}};
}

void BulkTransferFlow::TransferEnded(int result)
{
    if (direction_ == Direction::Upload) {
        // A run that ended on an error leaves the list as it was; one the
        // user stopped keeps what was read so far.
        const bool failed = job_.valuesLost || (result != CTransfer::Completed && result != CTransfer::Aborted);
        restoreBackup(failed);
        listChanged_ = true;
    }
    phase_ = Phase::Finished;
}

void BulkTransferFlow::restoreBackup(bool failed)
{
    if (!backupTaken_)
        return;
    backupTaken_ = false;
    RestoreWorkingFile(list_.workPath, failed);
}

}  // namespace kestrel
