#pragma once
// The parameter set of a Merlin document together with the definition file it
// was built from. Reading a definition file (ParseDefinition) fills the fixed
// tables below field by field as the parser recognises them; BuildParameterSet
// then turns the tables into the CPar objects of the set. The by-group
// accessors give the views values, limits, units and choice texts as text.
//
// Definition files live in <program directory>/DeviceData. Names are matched
// there exactly first, then ignoring case (parameter files carry them in
// lower case).
//
// The reader traces every reduction to a diagnostic output: standard output
// unless SetTrace() chose another stream (nullptr drops the trace).
#include <merlin/core/CEnumTable.h>
#include <merlin/core/CParSet.h>
#include <merlin/core/DpfTables.h>

#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace merlin {

// Results of ParseDefinition.
constexpr int kParseOk = 0;        // stopped at [End] or at the end of the input
constexpr int kParseAborted = 1;   // a bad field (wrong number of fields) ended the parse
constexpr int kParseNoMemory = 2;  // parser stack exhausted
constexpr int kParseNoFile = -1;   // the file could not be opened (nothing parsed)

// Results of LoadDefinition / load state of a document.
constexpr int kLoadOk = 1;
constexpr int kLoadMissing = -1;

class CDpfParSet : public CParSet {
public:
    explicit CDpfParSet(std::filesystem::path programDirectory = {});
    CDpfParSet(const CDpfParSet&) = default;
    CDpfParSet& operator=(const CDpfParSet&) = default;

    // --- where definition files are --------------------------------------
    const std::filesystem::path& ProgramDirectory() const { return programDir_; }
    void SetProgramDirectory(const std::filesystem::path& dir) { programDir_ = dir; }
    // <program directory>/DeviceData
    std::filesystem::path DeviceDataDirectory() const;
    // The file in DeviceData that name stands for: the exact name if it
    // exists, else the one whose name equals it ignoring case, else the exact
    // path (which does not exist). name must not hold a directory.
    std::filesystem::path FindDefinitionFile(const std::string& name) const;

    // --- loading -----------------------------------------------------------
    // Stores name as the definition name, resets the tables and, if the file
    // exists in DeviceData, parses it, collects the group names and builds
    // the parameter set. kLoadOk; kLoadMissing after showing "'%s'\n not
    // found !" with the name. The caller marks its document modified.
    int LoadDefinition(const std::string& name);
    // Reads a definition file into the tables (the tables are not reset).
    // kParseOk, kParseAborted, kParseNoMemory, or kParseNoFile.
    int ParseDefinition(const std::filesystem::path& path);
    // The same on text in memory (tests, fuzzing).
    int ParseDefinitionText(std::string_view text);
    // Empties every table and marks all ParamTable entries undefined.
    void ResetTables();
    // Copies the group titles (for group keys 1, 2, ... up to the end marker,
    // at most 100) into names; returns how many.
    int CollectGroupNames(std::vector<std::string>& names) const;
    // Empties the parameter set and builds it from ParamList and ParamTable.
    // Returns the number of ParamList entries processed. Groups beyond the
    // 100 that have titles are kept (their tabs show the number); an entry
    // whose group cannot be a group (below 1 or above kMaxGroups) is left
    // out and its ParamList key noted in LeftOut().
    int BuildParameterSet();
    static constexpr int kMaxGroups = kParamListCapacity;
    const std::vector<int>& LeftOut() const { return leftOut_; }

    // --- parameter files -------------------------------------------------
    // Remembers the stream of the parameter file being opened.
    void AttachArchive(std::istream* archive) { archive_ = archive; }
    // Opens a parameter file: reads its header, loads the definition it
    // names from DeviceData, then reads the values. The result is the load
    // state: 0 opened; a negative kHeader... code; kLoadMissing when the
    // definition is missing (after "'%s'\n not found !" with the full path).
    // The set is not marked modified.
    int LoadParameterFile(std::istream& in);
    int LoadParameterFile(const std::filesystem::path& path);
    // Writes the current format, replacing an existing file only once the
    // new one is complete. 0, or -1 when the file cannot be written.
    int SaveParameterFile(const std::filesystem::path& path);
    int LoadState() const { return loadState_; }
    // What the records of the last parameter file opened held.
    const ParFileReading& FileReading() const { return reading_; }
    // The result of the last ParseDefinition (kParseOk before any).
    int LastParseResult() const { return lastParse_; }
    int GroupNameCount() const { return static_cast<int>(groupNames_.size()); }
    const std::vector<std::string>& GroupNames() const { return groupNames_; }

    // --- by-group accessors (g, i as in CParSet) ---------------------------
    int Value(int g, int i);                   // -1 if not found
    int RegisterOffset(int g, int i);          // register - 40000; -1 if not found
    int Access(int g, int i);                  // -1 if not found
    std::string Unit(int g, int i);            // numeric: unit text; choice or not found: empty
    // Choice parameter: the texts of its list at positions min..max (position
    // p stands for raw min + p). Numeric or not found: empty.
    std::vector<std::string> Choices(int g, int i);
    // Choice parameter: the text of the value (or of the default).
    std::string ChoiceText(int g, int i, bool ofDefault);
    std::string ValueText(int g, int i);       // empty if not found
    std::string DefaultText(int g, int i);
    std::string MinimumText(int g, int i);
    std::string MaximumText(int g, int i);
    // GroupTable entries from key 1 on with a title, at most 100.
    int GroupCount() const;
    // Title of group g (GroupTable key g + 1); empty if it has none.
    std::string GroupName(int g) const;
    // Every parameter takes the value of the first parameter of other with
    // the same register, except register 40010; the others keep theirs.
    void CopyValuesByRegister(const CParSet& other);

    // Value/text rules on one parameter (also used by exports and compare).
    std::string ValueTextOf(const CPar& par, int raw) const;
    std::string LimitTextOf(const CPar& par, int raw) const;

    // --- tables ------------------------------------------------------------
    const std::string& StringText(int key) const;   // empty outside 0..1999
    const std::vector<StringEntry>& StringTable() const { return strings_; }
    const std::vector<GroupEntry>& GroupTable() const { return groups_; }
    const std::vector<ParamEntry>& ParamTable() const { return params_; }
    const std::vector<ParamListEntry>& ParamList() const { return paramList_; }
    const CEnumTable& EnumTable() const { return enums_; }
    const std::vector<FaultCode>& FaultCodeTable() const { return faultCodes_; }
    const std::vector<FaultRegister>& ActiveFaults() const { return activeFaults_; }
    const std::vector<FaultRegister>& FaultHistory() const { return faultHistory_; }

    // --- diagnostic trace ------------------------------------------------
    // nullptr drops the trace; the default is standard output.
    void SetTrace(std::ostream* trace) { trace_ = trace; traceSet_ = true; }
    std::ostream* Trace() const;

    // --- store callbacks of the reader -----------------------------------
    // Each is called with the line key, the field number (from 0) and the
    // field as read. Keys are in range (the reader checks them).
    void StoreString(int key, int field, const std::string& text);
    void StoreGroup(int key, int field, const std::string& text);
    void StoreParameter(int key, int field, const std::string& text);
    void StoreParamList(int key, int field, const std::string& text);
    void StoreEnum(int key, int field, const std::string& text);
    void StoreRevision(int key, int field, const std::string& text);
    void StoreFaultCode(int key, int field, const std::string& text);
    void StoreFaultRegister(bool history, int key, int field, const std::string& text);
    // Section-close callbacks, with the key of the section's last line:
    // they write the end markers.
    void CloseGroups(int lastKey);
    void CloseParameters(int lastKey);
    void CloseParamList(int lastKey);

private:
    bool FetchScratch(int g, int i);
    // The message that parameters of the definition were left out.
    void ShowLeftOut() const;

    std::filesystem::path programDir_;
    CPar scratch_;
    CEnumTable enums_;
    std::vector<FaultCode> faultCodes_;
    std::vector<FaultRegister> activeFaults_;
    std::vector<FaultRegister> faultHistory_;
    std::vector<StringEntry> strings_;
    std::vector<GroupEntry> groups_;
    std::vector<ParamEntry> params_;
    std::vector<ParamListEntry> paramList_;
    int enumList_ = 0;      // scratch of the choice-text line being read
    int enumField1_ = 0;
    int enumTextKey_ = 0;
    std::istream* archive_ = nullptr;
    std::vector<std::string> groupNames_;
    std::vector<int> leftOut_;
    ParFileReading reading_;
    int loadState_ = 0;
    int lastParse_ = kParseOk;
    std::ostream* trace_ = nullptr;
    bool traceSet_ = false;
};

// Number conversion of the definition files: leading blanks and tabs skipped,
// optional sign, decimal digits up to the first other character, no digits
// gives 0; saturates at the int range.
int DpfNumber(std::string_view text);

}  // namespace merlin
