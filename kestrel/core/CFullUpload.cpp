#include <kestrel/core/CFullUpload.h>

#include <kestrel/core/HexText.h>
#include <kestrel/core/KestrelState.h>
#include <kestrel/core/ParameterNumbers.h>
#include <kestrel/core/TvkRecord.h>

namespace kestrel {

int CFullUpload::Start(int recordCount, const std::string& databasePath)
{
    KestrelState& s = state();
    s.logLine("FULL UPLOAD - START");
    telegram_.WaitForPort();
    s.operationInProgress = true;
    if (!telegram_.ReadParameter(param::kStatusWord.digits()))
        return -2;
    if (parseHex4(telegram_.valueText()).value_or(0) & 0x0004) {
        notice_ = platform::Notice{"The software requires the selected device to be idle for uploading databank.",
                         platform::MsgIcon::Stop};
        return -3;
    }
    range_ = recordCount;
    progress_ = 0;
    file_.open(databasePath, std::ios::in | std::ios::out | std::ios::binary | std::ios::trunc);
    if (!file_) {
        notice_ = platform::Notice{kUploadErrorText, platform::MsgIcon::Stop};
        return -3;
    }
    telegram_.DiscardInput();
    // The first record must be a record: a file that starts with garbage
    // would read as a complete database once the end mark follows.
    if (!readRecord(param::kFirstRecord.digits(), 1) && !readRecord(param::kSameRecord.digits(), s.settings.repeat))
        return failed();
    writeRecord();
    finished_ = false;
    return 0;
}

int CFullUpload::Step()
{
    if (finished_) {
        file_.write(TvkRecord::kEndMark.data(), static_cast<std::streamsize>(TvkRecord::kEndMark.size()));
        file_.close();
        state().logLine("FULL UPLOAD - END");
        if (!file_) {
            notice_ = platform::Notice{kUploadErrorText, platform::MsgIcon::Stop};
            return -3;
        }
        notice_ = platform::Notice{"Information successfully uploaded", platform::MsgIcon::Exclamation};
        return 0;
    }
    if (!readRecord(param::kNextRecord.digits(), 1)) {
        telegram_.ResetRepeat();
        if (!readRecord(param::kSameRecord.digits(), state().settings.repeat))
            return failed();
    }
    if (noRecordLeft())
        finished_ = true;
    else
        writeRecord();
    ++progress_;
    return 1;
}

// One block read that delivered either a well-formed record or the end
// code. A reply whose framing is right but whose fields are garbage must not
// reach the database, so such a reply counts as a failed attempt too.
bool CFullUpload::readRecord(std::string_view number, int attempts)
{
    for (int i = 0; i < attempts; ++i) {
        telegram_.SetRepeat(1);
        if (!telegram_.ReadBlock(number)) {
            if (telegram_.status() == -1)
                return false;
            continue;
        }
        if (noRecordLeft())
            return true;
        const std::string bytes = TvkRecord::fromBlockReply(telegram_.valueText()).bytes();
        if (TvkRecord::parse(bytes))
            return true;
    }
    return false;
}

bool CFullUpload::noRecordLeft() const
{
    return telegram_.replyTail().find(param::kNoMoreRecords.digits()) != std::string::npos;
}

void CFullUpload::writeRecord()
{
    const std::string bytes = TvkRecord::fromBlockReply(telegram_.valueText()).bytes();
    file_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file_.flush();
}

int CFullUpload::failed()
{
    if (telegram_.status() == -1)
        return -1;
    notice_ = platform::Notice{kUploadErrorText, platform::MsgIcon::Stop};
    return -3;
}

}  // namespace kestrel
