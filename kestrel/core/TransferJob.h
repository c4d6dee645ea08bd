#pragma once
// One value or database transfer, its inputs and its result. Whoever starts
// a transfer (the connection, Upload All / Download All of a list, the
// backup tool) builds the job and hands it to the transfer, which reads its
// inputs and writes its result back; two jobs never see each other's files.
#include <string>

namespace kestrel {

// Direction of a value transfer: Upload All (drive into the list) or
// Download All (list into the drive).
enum class TransferDirection { Upload = 0, Download = 1 };

struct TransferJob {
    // Inputs.
    std::string listFile;          // working file the values go into or come from
    std::string databaseFileName;  // "/tvk/RQ-<version>.tvk", relative to the install directory
    TransferDirection direction = TransferDirection::Upload;
    int chosenParameterSet = 0;  // download: the set the drive was switched to (1..3), 0 none

    // Result: an upload broke off when the drive stopped answering; the
    // working file holds a mix of old and new values and must not be used.
    bool valuesLost = false;

    // The working file, unless the upload that filled it broke off.
    std::string usableList() const { return valuesLost ? std::string() : listFile; }
};

}  // namespace kestrel
