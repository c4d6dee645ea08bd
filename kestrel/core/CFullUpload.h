#pragma once
// The database upload: the drive delivers its parameter catalogue one block
// read at a time ("FFFF" first record, "FFFE" next, "FFFA" the same again,
// "FFFD" in the reply when no record is left); each record goes into the
// database file as it comes, and the end mark completes the file. The
// transfer dialog in database mode runs Start once and Step per tick.
#include <kestrel/core/CTelegram.h>
#include <platform/Notice.h>

#include <fstream>
#include <optional>
#include <utility>
#include <string>
#include <string_view>

namespace kestrel {

class CFullUpload {
public:
    explicit CFullUpload(CTelegram& telegram) : telegram_(telegram) {}

    // recordCount: the value of "FFF0" (progress range); databasePath: the
    // file the catalogue goes into. 0 to go on, -2 when
    // the drive does not answer, -3 after a notice (drive running, file not
    // writable, first record unreadable), -1 when the line never became ready.
    int Start(int recordCount, const std::string& databasePath);
    // 1 go on, 0 finished (file complete), -1 line never ready, -3 after the
    // notice.
    int Step();
    // Closes the database file (an upload that ended early stays incomplete).
    void close() { file_.close(); }

    // The notice of the last Start or Step, once.
    std::optional<platform::Notice> takeNotice() { return std::exchange(notice_, std::nullopt); }
    int progress() const { return progress_; }
    int progressRange() const { return range_; }

    static constexpr const char* kStatusText = "Uploading full database...";
    static constexpr const char* kUploadErrorText =
        "There was some error while uploading data.\nCheck the network connections and try again !\n\n"
        "Parameter uploading could not be completed.";

private:
    bool readRecord(std::string_view number, int attempts);
    bool noRecordLeft() const;
    void writeRecord();
    int failed();

    CTelegram& telegram_;
    std::fstream file_;
    bool finished_ = false;
    int progress_ = 0;
    int range_ = 0;
    std::optional<platform::Notice> notice_;
};

}  // namespace kestrel
