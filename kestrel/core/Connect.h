#pragma once
// "Connect" and "Quick Connect" of the network dialog, normal mode: what the
// dialog does next for the selected address. The transfer dialog and the
// list window are the caller's; this decides and prepares the working file.
#include <kestrel/core/CTelegram.h>
#include <kestrel/core/TransferJob.h>
#include <platform/Notice.h>

#include <optional>
#include <string>

namespace kestrel {

struct ConnectPlan {
    enum Next {
        Nothing,            // a notice explains why; the dialog stays as it is
        StayOpen,           // no connection or no usable version (notice given)
        OpenList,           // open the list of job.listFile
        UploadValues,       // run job (the value upload), then open its list unless its values were lost
        UploadDatabase,     // run job in database mode, then ListAfterDatabaseUpload()
        Declined,           // the user did not want the database transfer
    };
    Next next = Nothing;
    std::optional<platform::Notice> notice;
    // The drive's database and, once made, the working file of its list.
    TransferJob job;
};

ConnectPlan Connect(CTelegram& telegram, const std::string& address, bool quick);
// After the database upload: the working file from the new database.
ConnectPlan ListAfterDatabaseUpload();

inline constexpr const char* kDatabankQuestion =
    "The selected inverter needs a databank transfer\nwhich may take a few minites.\n\nWould you like to continue ?";

}  // namespace kestrel
