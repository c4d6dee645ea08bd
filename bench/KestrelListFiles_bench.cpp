// How long the list operations take when, as the design requires, they read
// the database and the working file from disk every time: filling a group
// page and opening a 2000-record parameter file with its full check.
// Reports the time per operation and its ratio to the 5 ms the user would
// start to notice; nothing here asserts a time.
#include "KestrelBigList.h"

#include <kestrel/core/CWorkFile.h>
#include <kestrel/core/ListFile.h>
#include <kestrel/core/ListOpener.h>
#include <kestrel/core/ParameterList.h>
#include <kestrel/core/TvkRecord.h>
#include <platform/testing/TempDir.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace {

using namespace kestrel;
using bench::kRecords;
using bench::databaseBytes;
using bench::bodyBytes;
using bench::write;
constexpr double kGoalMs = 5.0;

double msPerRun(int runs, const std::function<void()>& op)
{
    op();  // warm the page cache once
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i) op();
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / runs;
}

void report(const char* what, double ms)
{
    std::printf("%-46s %8.3f ms   %5.1f%% of the %.0f ms goal\n", what, ms, 100.0 * ms / kGoalMs, kGoalMs);
}

}  // namespace

int main()
{
    platform::testing::TempDir dir;
    const std::string install = dir.path();
    const std::string db = install + "/tvk/RQ-1234.tvk";
    const std::string par = install + "/parameter/big.par";
    const std::string work = install + "/parameter/List-1.~pa";
    write(db, databaseBytes());
    write(par, ListFile::bytes("A12.34", bodyBytes()));
    write(work, bodyBytes());

    const ParameterList list(db, work, ListKind::Online);
    std::size_t rows = 0;
    report("fill group 0 (first page)", msPerRun(200, [&] { rows += list.fillGroup(0).rows.size(); }));
    report("fill group 0x7C (last page, 2000 records in)",
           msPerRun(200, [&] { rows += list.fillGroup(0x7C).rows.size(); }));
    report("build the tabs (whole working file)", msPerRun(200, [&] { rows += list.tabGroups().size(); }));

    bool allOpened = true;
    report("open 2000-record .par with full check", msPerRun(100, [&] {
               const auto opened = openListFile(install, ListKind::ParameterFile, par);
               allOpened = allOpened && opened.has_value();
               if (opened) std::filesystem::remove(opened->workPath);
           }));
    report("check alone (no working file written)",
           msPerRun(100, [&] { allOpened = allOpened && ListFile::check(par, db, ListKind::ParameterFile).records == kRecords; }));
    std::printf("(%zu rows filled; every open %s)\n", rows, allOpened ? "succeeded" : "FAILED");
    return allOpened ? 0 : 1;
}
