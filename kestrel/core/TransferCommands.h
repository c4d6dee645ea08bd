#pragma once
// The checks and side steps of Upload All and Download All around the
// transfer dialog: the copy of the working file that an upload failure is
// undone from, the version and idle checks of the target drive, and the
// parameter-set switch before a download. Each answers with the notice the
// command shows; the questions and the set dialog are the window's.
#include <kestrel/core/CTelegram.h>
#include <platform/Notice.h>

#include <optional>
#include <string>

namespace kestrel {

// "temp1" in the install directory.
std::string uploadBackupPath();
// Copies the working file to "temp1" before an upload.
bool BackupWorkingFile(const std::string& workPath);
// After the upload: when it failed (its job lost the values, or it ended on
// an error), "temp1" goes back over the working file. "temp1" is deleted.
bool RestoreWorkingFile(const std::string& workPath, bool uploadFailed);

// A list without a drive must go to a drive of its own version: "00E4" of
// the drive against the record "00E4" of the working file.
enum class ListTarget { Upload, Download };
std::optional<platform::Notice> CheckListVersion(CTelegram& telegram, const std::string& workPath, ListTarget target);

// Download All, before the transfer: the drive must answer, stand still
// ("00E8" ends in '1'), and tell its active parameter set.
struct DownloadTarget {
    bool ok = false;
    int listSet = 0;    // record "00E9" of the working file
    int deviceSet = 0;  // "00E9" of the drive
    std::optional<platform::Notice> notice;
    bool conflict() const { return ok && listSet != deviceSet; }
};
DownloadTarget CheckDownloadTarget(CTelegram& telegram, const std::string& workPath);

// Text of the "Parameter Set Conflict" dialog.
std::string parameterSetConflictText(int listSet, int deviceSet);
// The notice before the switch.
platform::Notice parameterSetChangeNotice(int set);
// Writes "00E9000<set>"; the notice when the drive refused.
std::optional<platform::Notice> SwitchParameterSet(CTelegram& telegram, int set);

}  // namespace kestrel
