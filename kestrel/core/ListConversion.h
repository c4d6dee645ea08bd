#pragma once
// File, Convert to / Customer List, Convert to: the list of a window turned
// into a new file of the same kind for another software version. Values of
// parameters defined identically in both versions are carried over; for
// every new, dropped or redefined parameter the user is shown both
// definitions (and asked for a value where the new file needs one). A
// report "Report.txt" records each such case.
#include <kestrel/core/ConversionQuestion.h>
#include <kestrel/core/ListOpener.h>
#include <kestrel/core/WorkFileReader.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// The prompt the window gives the version selection dialog first.
inline constexpr std::string_view kConversionVersionPrompt =
    "Select the s/w version for which you want to create the list and click OK";

struct ConversionSource {
    ListKind kind = ListKind::ParameterFile;  // ParameterFile or CustomList
    std::string filePath;
    std::string workPath;
    std::string databaseFileName;  // "/tvk/RQ-1234.tvk"
};

class ListConversion {
public:
    // Shows the "List Conversion" dialog for one parameter and returns the
    // user's answer.
    using Ask = std::function<ConversionAnswer(const ConversionQuestion&)>;

    // Opens the new file's list window (before the report is shown).
    using ShowList = std::function<void(const OpenedList&)>;

    ListConversion(std::string installDir, ConversionSource source, Ask ask, ShowList showList = {});

    // Converts to `targetVersion` ("12.40", from the version selection).
    // Without a preset path the save dialog asks for the new file. Returns
    // the new file opened for a list window (already shown through
    // showList when there is one), or nullopt when the conversion was
    // refused, aborted or the new file did not open.
    std::optional<OpenedList> run(const std::string& targetVersion,
                                  const std::optional<std::string>& presetNewPath = std::nullopt);

    const std::string& reportPath() const { return reportPath_; }

private:
    enum class Outcome { Done, Aborted, DatabaseCorrupt };
    struct Side;

    std::optional<std::string> chooseNewFile(const std::optional<std::string>& preset);
    void firstPass();
    Outcome secondPass();
    Outcome walkParameterFile();
    Outcome walkCustomList();
    void carryOver(std::uint16_t number, std::uint16_t sourceValue);
    Outcome handleCase(ConversionCase kind, const TvkRecord* source, const TvkRecord* target);
    ConversionQuestion question(ConversionCase kind, const TvkRecord* source, const TvkRecord* target) const;
    std::optional<std::uint16_t> sourceValue(std::uint16_t number);
    std::optional<std::uint16_t> askValue(ConversionQuestion q, const TvkRecord* target, std::uint16_t proposed,
                                          bool& aborted);
    bool writeFiles(bool finished);
    void discardFiles();
    void showReport();

    std::string installDir_;
    ConversionSource source_;
    Ask ask_;
    ShowList showList_;
    std::string sourceVersion_;
    std::string targetVersion_;
    std::string targetDatabase_;  // full path
    std::string newPath_;
    bool targetExisted_ = false;  // the user chose to overwrite an existing file
    std::string reportPath_;
    std::optional<ConversionReport> report_;
    std::optional<WorkFileReader> work_;              // the source values, read forward
    std::vector<WorkRecord> records_;                  // the new file's records
    std::map<std::uint16_t, std::size_t> recordIndex_; // number -> position in records_
};

}  // namespace kestrel
