#include <merlin/core/CBulkTransfer.h>
#include <merlin/testing/CFakeLink.h>

#include "ParamFixture.h"

#include <gtest/gtest.h>

using namespace merlin;

namespace {

constexpr int kMerlinStation = 3;

using merlin::testing::testParam;

struct MerlinTransfer : ::testing::Test {
    MerlinTransfer() { link.OpenLink(); }

    // Runs the stepper to its end code the way the dialog's timer does.
    int run(CBulkTransfer& transfer)
    {
        int result;
        int ticks = 0;
        while ((result = transfer.step()) == 1)
            if (++ticks > 100000)
                return -999;
        return result;
    }
    std::vector<int> writtenOffsets() const
    {
        std::vector<int> out;
        for (const auto& call : link.writes())
            out.push_back(call.registerOffset);
        return out;
    }

    CFakeLink link;
    CParSet set;
    std::vector<std::string> log;
};

}  // namespace

TEST_F(MerlinTransfer, UploadReadsEverythingButThePasswordRegisters)
{
    set.AddParameter(testParam("Speed", 10, 5), 0);
    set.AddParameter(testParam("Password", 298, 1111), 0);
    set.AddParameter(testParam("Hidden", 299, 2222), 1);
    set.AddParameter(testParam("Offset", 11, 7, 0, -100), 1);
    set.AddParameter(testParam("Gone", 12, 9), 1);
    link.setRegister(kMerlinStation, 10, 1500);
    link.setRegister(kMerlinStation, 298, 4);
    link.setRegister(kMerlinStation, 299, 4);
    link.setRegister(kMerlinStation, 11, 0xFFFB);
    link.setReadResult(kMerlinStation, 12, kLinkTimeout);

    CBulkTransfer upload(TransferDirection::Upload, link, kMerlinStation, set,
                         [&](const std::string& l) { log.push_back(l); });
    EXPECT_EQ(upload.title(), "Uploading from device 3 ...");
    upload.start(0);
    EXPECT_EQ(run(upload), kEndDone);
    EXPECT_EQ(upload.progressText(), "   5 / 5");

    EXPECT_EQ(set.ValueAt(0), 1500);
    EXPECT_EQ(set.ValueAt(1), 1111);
    EXPECT_EQ(set.ValueAt(2), 2222);
    EXPECT_EQ(set.ValueAt(3), -5) << "signed parameters are two's complement";
    EXPECT_EQ(set.ValueAt(4), 9) << "a failed read keeps the value";
    EXPECT_EQ(upload.failures(), (std::vector<TransferFailure>{{12, "Gone", kLinkTimeout}}));
    EXPECT_EQ(upload.errorCount(), 1);
    EXPECT_EQ(log, std::vector<std::string>{"UPLOAD ALL - START"});
    for (const auto& call : link.calls())
        EXPECT_TRUE(call.registerOffset != 298 && call.registerOffset != 299) << call.registerOffset;
}

TEST_F(MerlinTransfer, CustomerSelectionCountsOnlyWithTheFilterOn)
{
    CPar noUpload = testParam("A", 10, 1);
    noUpload.selectionFlags = kSelNoUpload;
    CPar noDownload = testParam("B", 11, 2);
    noDownload.selectionFlags = kSelNoDownload;
    set.AddParameter(noUpload, 0);
    set.AddParameter(noDownload, 0);
    link.setRegister(kMerlinStation, 10, 100);
    link.setRegister(kMerlinStation, 11, 200);

    for (bool filter : {false, true}) {
        set.SetViewFlags(filter ? kFilterActive : 0);
        set.SetValueAt(0, 1);
        set.SetValueAt(1, 2);
        link.clearCalls();
        CBulkTransfer upload(TransferDirection::Upload, link, kMerlinStation, set);
        upload.start(0);
        EXPECT_EQ(run(upload), kEndDone);
        EXPECT_EQ(set.ValueAt(0), filter ? 1 : 100) << filter;
        EXPECT_EQ(set.ValueAt(1), 200) << filter;

        link.clearCalls();
        CBulkTransfer download(TransferDirection::Download, link, kMerlinStation, set);
        download.start(0);
        EXPECT_EQ(run(download), kEndDone);
        const std::vector<int> expected = filter ? std::vector<int>{10} : std::vector<int>{10, 11};
        EXPECT_EQ(writtenOffsets(), expected) << filter;
    }
}

TEST_F(MerlinTransfer, DownloadWritesPasswordFirstAndSkipsProtectedParameters)
{
    set.AddParameter(testParam("Speed", 10, 5), 0);
    set.AddParameter(testParam("ReadOnly", 11, 6, 1), 0);
    set.AddParameter(testParam("Password", 298, 4321), 0);
    set.AddParameter(testParam("Access2", 13, 6, 2), 1);
    set.AddParameter(testParam("Access3", 14, 8, 3), 1);
    set.AddParameter(testParam("Access4", 15, 6, 4), 1);
    set.AddParameter(testParam("Hidden", 299, 1), 1);
    set.AddParameter(testParam("Last", 16, -2, 0, -10), 1);
    link.addStation(kMerlinStation);

    CBulkTransfer download(TransferDirection::Download, link, kMerlinStation, set);
    EXPECT_EQ(download.title(), "Downloading to device 3 ...");
    download.start(0);
    EXPECT_EQ(run(download), kEndDone);
    EXPECT_EQ(writtenOffsets(), (std::vector<int>{298, 10, 14, 16}));
    EXPECT_EQ(link.registerValue(kMerlinStation, 298), 4321);
    EXPECT_EQ(link.registerValue(kMerlinStation, 16), 0xFFFE);
    EXPECT_EQ(download.toTransfer(), 3);
    EXPECT_EQ(download.progressText(), "   3 / 3");
}

TEST_F(MerlinTransfer, ParametersAfterSkippedOnesAreStillWritten)
{
    for (int k = 0; k < 5; ++k)
        set.AddParameter(testParam("locked", 20 + k, k, 1), 0);
    for (int k = 0; k < 5; ++k)
        set.AddParameter(testParam("free", 30 + k, k), 1);
    link.addStation(kMerlinStation);
    CBulkTransfer download(TransferDirection::Download, link, kMerlinStation, set);
    download.start(0);
    EXPECT_EQ(run(download), kEndDone);
    EXPECT_EQ(writtenOffsets(), (std::vector<int>{30, 31, 32, 33, 34}));
}

TEST_F(MerlinTransfer, AllReadOnlyWritesOnlyThePassword)
{
    set.AddParameter(testParam("Password", 298, 77, 1), 0);
    set.AddParameter(testParam("A", 10, 1, 1), 0);
    link.addStation(kMerlinStation);
    CBulkTransfer download(TransferDirection::Download, link, kMerlinStation, set);
    download.start(0);
    EXPECT_EQ(run(download), kEndDone);
    EXPECT_EQ(writtenOffsets(), std::vector<int>{298});
}

TEST_F(MerlinTransfer, NoPasswordParameterAndNoPasswordWritesNoPassword)
{
    set.AddParameter(testParam("A", 10, 1), 0);
    link.addStation(kMerlinStation);
    CBulkTransfer download(TransferDirection::Download, link, kMerlinStation, set);
    download.start(0);
    EXPECT_EQ(run(download), kEndDone);
    EXPECT_EQ(writtenOffsets(), std::vector<int>{10});
}

TEST_F(MerlinTransfer, ElevenRefusalsInARowAskForThePassword)
{
    for (int k = 0; k < 20; ++k)
        set.AddParameter(testParam("P", 100 + k, k), k / 5);
    set.AddParameter(testParam("Password", 298, 0), 4);
    link.addStation(kMerlinStation);
    bool unlocked = false;
    link.setWriteHook([&](int, int offset, uint16_t value) {
        if (offset == 298)
            unlocked = value == 999;
        return unlocked || offset == 298 ? kLinkOk : kLinkWriteRefused;
    });

    CBulkTransfer download(TransferDirection::Download, link, kMerlinStation, set);
    download.start(0);
    EXPECT_EQ(run(download), kEndPasswordNeeded);
    EXPECT_EQ(download.position(), 11);
    EXPECT_EQ(download.errorCount(), 11);
    EXPECT_EQ(download.failures().back(), (TransferFailure{110, "P", kLinkWriteRefused}));
    EXPECT_EQ(download.endMessage(kEndPasswordNeeded)->text, "Unknown error !");

    link.clearCalls();
    download.restart(999, 0);
    EXPECT_EQ(run(download), kEndDone);
    EXPECT_EQ(download.errorCount(), 0);
    EXPECT_EQ(link.writes().front().registerOffset, 298);
    EXPECT_EQ(link.writes().front().value, 999);
    EXPECT_EQ(link.writes().size(), 21u);
}

TEST_F(MerlinTransfer, OnlyConsecutiveRefusalsCount)
{
    for (int k = 0; k < 21; ++k)
        set.AddParameter(testParam("P", 100 + k, k), 0);
    link.addStation(kMerlinStation);
    link.setWriteHook([](int, int offset, uint16_t) {
        if (offset == 110)
            return kLinkOk;
        return offset == 111 ? kLinkTimeout : kLinkWriteRefused;
    });
    CBulkTransfer download(TransferDirection::Download, link, kMerlinStation, set);
    download.start(0);
    // 10 refusals, a success, a time-out, then 9 refusals: never 11 in a row.
    EXPECT_EQ(run(download), kEndDone);
    EXPECT_EQ(download.errorCount(), 20);
}

TEST_F(MerlinTransfer, AbortEndsWithItsMessageAndLogLine)
{
    set.AddParameter(testParam("A", 10, 1), 0);
    set.AddParameter(testParam("B", 11, 1), 0);
    link.addStation(kMerlinStation);
    CBulkTransfer upload(TransferDirection::Upload, link, kMerlinStation, set,
                         [&](const std::string& l) { log.push_back(l); });
    upload.start(1000);
    EXPECT_EQ(upload.step(), 1);
    upload.requestAbort();
    EXPECT_EQ(upload.step(), kEndAborted);
    const auto message = upload.endMessage(kEndAborted);
    EXPECT_EQ(message->text, "Progress was aborted by the user !");
    EXPECT_EQ(message->icon, platform::MsgIcon::Information);
    EXPECT_EQ(log.back(), "LOADING STOPPED");
    EXPECT_EQ(upload.elapsedText(4999), "3 sec");
}

TEST(MerlinEndCodes, MessagesAndIcons)
{
    using platform::MsgIcon;
    EXPECT_FALSE(endCodeMessage(kEndDone));
    EXPECT_FALSE(endCodeMessage(kEndPortError));
    EXPECT_EQ(endCodeMessage(kEndNoConnection),
              (platform::Notice{"Possible loss of power or no connection to the converter !", MsgIcon::Information}));
    EXPECT_EQ(endCodeMessage(kEndNoDevice),
              (platform::Notice{"Failed to establish connection with the selected device !", MsgIcon::Stop}));
    EXPECT_EQ(endCodeMessage(kEndNoTimer), (platform::Notice{"Internal timer not available !", MsgIcon::Exclamation}));
    EXPECT_EQ(endCodeMessage(42), (platform::Notice{"Unknown error !", MsgIcon::Exclamation}));
}

TEST_F(MerlinTransfer, LinkWithoutServerOrPortEndsTheTransfer)
{
    for (int k = 0; k < 5; ++k)
        set.AddParameter(testParam("P", 100 + k, k), 0);
    link.addStation(kMerlinStation);
    const struct { TransferDirection direction; bool serverMissing; int end; } cases[] = {
        {TransferDirection::Upload, true, kEndNoConnection},
        {TransferDirection::Download, true, kEndNoConnection},
        {TransferDirection::Upload, false, kEndNoDevice},
        {TransferDirection::Download, false, kEndNoDevice},
    };
    for (const auto& c : cases) {
        link.OpenLink();
        link.setServerMissing(c.serverMissing);
        if (!c.serverMissing)
            link.CloseLink();
        CBulkTransfer transfer(c.direction, link, kMerlinStation, set);
        transfer.start(0);
        EXPECT_EQ(run(transfer), c.end);
        EXPECT_EQ(transfer.position(), 1) << "ends at the first parameter";
        EXPECT_EQ(transfer.errorCount(), 1);
        link.setServerMissing(false);
    }
    EXPECT_EQ(endCodeMessage(kEndNoDevice)->text, "Failed to establish connection with the selected device !");
}
