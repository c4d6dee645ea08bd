// diff and restore read a Kestrel parameter file through the same checks:
// every damaged copy of a good backup (cut at record boundaries and inside
// records, bytes flipped in the header, the records and the trailer,
// records missing, doubled or swapped) is refused by both with exit 2, and
// the drive is not written.
#include <backup/lib/BackupRun.h>
#include <backup/lib/KestrelBus.h>
#include <backup/tests/BackupTesting.h>

#include <kestrel/core/ListFile.h>
#include <sim/tests/SioDrivesOnPty.h>


#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>

namespace backup {
namespace {

using namespace backup::testing;

constexpr size_t kHeader = kestrel::ListFile::kHeaderSize;
constexpr size_t kRecord = 10;

struct Damaged {
    std::string what;
    std::string bytes;
};

std::string flipped(std::string bytes, size_t at, char to)
{
    bytes[at] = to;
    return bytes;
}

// Damaged copies of a good file of n records.
std::vector<Damaged> damagedCopies(const std::string& good)
{
    const size_t n = (good.size() - kHeader - kestrel::ListFile::kTrailer.size()) / kRecord;
    const size_t trailerAt = kHeader + n * kRecord;
    std::vector<Damaged> out;
    for (size_t k : {size_t(0), size_t(1), size_t(2), n / 3, n / 2, n - 2, n - 1, n})
        out.push_back({"cut after record " + std::to_string(k), good.substr(0, kHeader + k * kRecord)});
    for (size_t k : {size_t(0), n / 2, n - 1})
        for (size_t inside : {4, 9})
            out.push_back({"cut inside record " + std::to_string(k), good.substr(0, kHeader + k * kRecord + inside)});
    for (size_t cut : {size_t(30), kHeader - 1, trailerAt + 5})
        out.push_back({"cut at byte " + std::to_string(cut), good.substr(0, cut)});
    for (size_t at : {size_t(0), size_t(29), size_t(33), size_t(36), size_t(39), size_t(43)})
        out.push_back({"header byte " + std::to_string(at) + " flipped", flipped(good, at, '\x7f')});
    const size_t mid = kHeader + (n / 2) * kRecord;
    for (size_t offset : {0, 3, 4, 7})
        out.push_back({"record digit " + std::to_string(offset) + " not hex", flipped(good, mid + offset, 'G')});
    out.push_back({"record number changed", flipped(good, mid + 3, good[mid + 3] == '0' ? '1' : '0')});
    for (size_t offset : {8, 9})
        out.push_back({"record without CR LF", flipped(good, mid + offset, ' ')});
    for (size_t offset : {0, 3, 4, 5})
        out.push_back({"trailer byte " + std::to_string(offset) + " flipped", flipped(good, trailerAt + offset, 'X')});
    out.push_back({"no trailer", good.substr(0, trailerAt)});
    out.push_back({"trailer without NUL", good.substr(0, trailerAt) + "END\r\n"});
    out.push_back({"bytes after the trailer", good + "00310005\r\n"});
    out.push_back({"extra record", good.substr(0, trailerAt) + good.substr(trailerAt - kRecord)});
    out.push_back({"record left out", good.substr(0, mid) + good.substr(mid + kRecord)});
    std::string swapped = good;
    swapped.replace(mid, kRecord, good.substr(mid + kRecord, kRecord));
    swapped.replace(mid + kRecord, kRecord, good.substr(mid, kRecord));
    out.push_back({"swapped records", swapped});
    return out;
}

class KestrelDamagedFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(drives_.start("1:1808", error)) << error;
        ::setenv("AVIARY_COM7", drives_.path().c_str(), 1);
        const KestrelLine line = kestrelLineOnCom7(install_.path(), 8, 2);
        bus_ = std::make_unique<KestrelBus>(line);
    }
    void TearDown() override { ::unsetenv("AVIARY_COM7"); }

    int run(Command command, const std::string& file, std::string& output)
    {
        BackupOptions options;
        options.family = "kestrel";
        options.command = command;
        options.addresses = {1};
        options.file = file;
        std::ostringstream out, err;
        ProgressBar progress(stderr, false);
        const int code = BackupRun(*bus_, options, out, err, progress).run();
        output = out.str() + err.str();
        return code;
    }
    std::map<uint16_t, uint16_t> driveValues(const std::string& body)
    {
        std::map<uint16_t, uint16_t> values;
        drives_.bus().withDrive(1, [&](sim::SioDrive& d) {
            for (size_t at = 0; at + kRecord <= body.size(); at += kRecord) {
                const auto number = static_cast<uint16_t>(std::stoul(body.substr(at, 4), nullptr, 16));
                values[number] = d.value(number);
            }
        });
        return values;
    }

    platform::testing::TempDir registry_;
    platform::testing::RegistryRedirect redirect_{registry_.path()};
    platform::testing::TempDir install_, out_;
    sim::testing::SioDrivesOnPty drives_;
    std::unique_ptr<KestrelBus> bus_;
};

TEST_F(KestrelDamagedFileTest, DiffAndRestoreRefuseEveryDamagedFileAlike)
{
    const std::string goodPath = out_.path() + "/good.par";
    std::string error;
    ASSERT_TRUE(bus_->backup(FoundDrive{1, "NEW", ""}, goodPath, nullptr, error)) << error;
    const std::string good = readFile(goodPath);
    ASSERT_GT(good.size(), kHeader + 20 * kRecord);
    const std::string body = good.substr(kHeader, good.size() - kHeader - kestrel::ListFile::kTrailer.size());
    // The values restore would write differ from the drive's, so a write shows.
    drives_.bus().keypadChange(1, 0x0031, static_cast<uint16_t>(driveValues(body)[0x0031] + 3));
    const auto before = driveValues(body);

    std::string output;
    for (const Damaged& d : damagedCopies(good)) {
        const std::string path = out_.write("damaged.par", d.bytes);
        EXPECT_EQ(run(Command::Diff, path, output), kExitError) << d.what << "\n" << output;
        EXPECT_EQ(output.find("difference"), std::string::npos) << d.what << "\n" << output;
        EXPECT_EQ(run(Command::Restore, path, output), kExitError) << d.what << "\n" << output;
        ASSERT_EQ(driveValues(body), before) << d.what;
    }
    // The good file still passes both.
    EXPECT_EQ(run(Command::Diff, goodPath, output), kExitDifferent) << output;
    EXPECT_NE(output.find("1 difference"), std::string::npos) << output;
    EXPECT_EQ(run(Command::Restore, goodPath, output), kExitOk) << output;
    EXPECT_EQ(run(Command::Diff, goodPath, output), kExitOk) << output;
}

}  // namespace
}  // namespace backup
