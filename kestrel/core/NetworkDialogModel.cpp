#include <kestrel/core/NetworkDialogModel.h>

#include <kestrel/core/DeviceConnection.h>
#include <kestrel/core/ExaminationModel.h>
#include <kestrel/core/KestrelState.h>

namespace kestrel {

NetworkDialogModel::NetworkDialogModel(CTelegram& telegram, std::string companyName, std::string inverterName,
                                       bool selectionMode)
    : telegram_(telegram), inverterName_(std::move(inverterName)), selectionMode_(selectionMode)
{
    view_.title = companyName + " Network";
    // List windows opened from here are lettered from A again.
    state().windowCounter = 0;
}

void NetworkDialogModel::Load()
{
    table_.load(CDeviceTable::defaultPath());
    view_.rows.clear();
    for (int a = 0; a < kAddressCount; ++a) {
        if (!table_.present(a))
            continue;
        Row r;
        r.address = a;
        r.cells = {std::to_string(a), inverterName_, table_.name(a), CDeviceTable::ratedPowerText(table_.ratedPower(a))};
        view_.rows.push_back(std::move(r));
        state().noDevice = false;
    }
    view_.selected = -1;
    Select(0);
}

void NetworkDialogModel::paintSelection(int row)
{
    if (view_.selected >= 0 && view_.selected < static_cast<int>(view_.rows.size()))
        view_.rows[static_cast<size_t>(view_.selected)].background = kWhite;
    view_.selected = row >= 0 && row < static_cast<int>(view_.rows.size()) ? row : -1;
    if (view_.selected >= 0)
        view_.rows[static_cast<size_t>(view_.selected)].background = kHighlight;
}

void NetworkDialogModel::Select(int row)
{
    paintSelection(row);
    const bool hasAddress = view_.selected >= 0;
    view_.nameEdit = hasAddress ? view_.rows[static_cast<size_t>(view_.selected)].cells[2] : std::string();
    view_.connectDefault = true;
    view_.nameEditEnabled = view_.changeNameEnabled = view_.cancelEnabled = hasAddress;
}

int NetworkDialogModel::selectedAddress() const
{
    return view_.selected >= 0 ? view_.rows[static_cast<size_t>(view_.selected)].address : -1;
}

void NetworkDialogModel::EditName(const std::string& text)
{
    view_.nameEdit = text.substr(0, CDeviceTable::kMaxName);
    view_.connectDefault = false;
}

void NetworkDialogModel::restoreName()
{
    const int a = selectedAddress();
    view_.connectDefault = true;
    if (a < 0)
        return;
    view_.nameEdit = table_.name(a);
    view_.rows[static_cast<size_t>(view_.selected)].cells[2] = view_.nameEdit;
}

std::optional<platform::Notice> NetworkDialogModel::ChangeName()
{
    const int a = selectedAddress();
    if (a < 0) {
        view_.connectDefault = true;
        return std::nullopt;
    }
    const bool active = state().windowPresence[static_cast<size_t>(a)] != '0';
    auto notice = RenameDevice(a, view_.nameEdit);
    if (active) {
        // Refused: an open window works under the old name.
        restoreName();
        return notice;
    }
    table_.setName(a, view_.nameEdit);
    view_.rows[static_cast<size_t>(view_.selected)].cells[2] = table_.name(a);
    Select(view_.selected);
    return notice;
}

void NetworkDialogModel::Cancel()
{
    restoreName();
    Select(view_.selected);
}

std::optional<platform::Notice> NetworkDialogModel::AfterCheckNetwork(int examinationResult)
{
    view_.rows.clear();
    view_.selected = -1;
    view_.nameEdit.clear();
    view_.nameEditEnabled = view_.changeNameEnabled = view_.cancelEnabled = false;
    if (examinationResult < 0)
        return std::nullopt;
    if (state().noDevice)
        return ExaminationModel::noDeviceNotice();
    Load();
    return std::nullopt;
}

NetworkDialogModel::ConnectResult NetworkDialogModel::Connect(bool quick)
{
    ConnectResult r;
    const int a = selectedAddress();
    r.address = a >= 0 ? std::to_string(a) : std::string();
    if (selectionMode_) {
        if (a < 0) {
            r.notice = platform::Notice{"No inverter selected.", platform::MsgIcon::Exclamation};
            return r;
        }
        const SelectionCheck c = SelectDevice(telegram_, r.address);
        r.notice = c.notice;
        r.closeDialog = c.selected;
        return r;
    }
    const ConnectPlan plan = kestrel::Connect(telegram_, r.address, quick);
    r.next = plan.next;
    r.notice = plan.notice;
    r.job = plan.job;
    r.closeDialog = plan.next != ConnectPlan::Nothing && plan.next != ConnectPlan::StayOpen;
    return r;
}

void NetworkDialogModel::Close()
{
    state().currentAddress.clear();
}

}  // namespace kestrel
