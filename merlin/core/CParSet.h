#pragma once
// The parameters of one drive or one parameter file, in numbered groups, with
// the header that names the definition file and the device it was made for.
//
// Indices: g is a group number from 0, i an index within the group, k an index
// in the whole set. Operations by (g, i) check their arguments and report
// through results; operations by k ("...At") do not check: callers pass
// indices below Count().
//
// The parameter file (.par) is written and read here as well: a 712-byte
// header block, filler up to offset 1000, then one 64-byte record per
// parameter (CParSetArchive.cpp). The header block lives in memory as it is
// stored, so what a file carries that we do not interpret survives a save.
#include <merlin/core/CPar.h>

#include <array>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace merlin {

// Results of SetValue / SetValueFromText.
constexpr int kValueOk = 0;
constexpr int kValueBelowMin = -1;
constexpr int kValueAboveMax = -2;
constexpr int kValueNotFound = -3;

// Results of ReadHeader (they become the document's load state).
constexpr int kHeaderOk = 0;
constexpr int kHeaderInvalid = -1;     // too short, bad size field or format mark, bad name length
constexpr int kHeaderNoDpfName = -2;   // the name holds no ".dpf"
constexpr int kHeaderFileError = -10;  // the stream failed while the header was read

// Results of ReadRecord.
constexpr int kRecordRead = 1;
constexpr int kRecordEnd = 0;          // no byte left: the parameter keeps its value
constexpr int kRecordError = -1;       // "File error" shown; the parameter keeps its value
constexpr int kRecordCut = 2;          // the file ends inside the record: the parameter keeps its value

// What the records of a parameter file held for the set they were laid over.
// The file does not say how many records it has, so a file cut short at a
// record boundary reads like a whole one made with a shorter definition:
// only this count tells them apart.
struct ParFileReading {
    int expected = 0;       // parameters of the set
    int read = 0;           // whole records read: the values of parameters 0 .. read - 1
    bool cut = false;       // the file ends inside a record
    bool surplus = false;   // bytes follow the record of the set's last parameter
    // Device type, application and version as the file's header gave them
    // (the definition's [Revision] replaces them in the set).
    uint16_t deviceType = 0, application = 0, version = 0;
    // Every parameter of the set got its value from the file.
    bool Whole() const { return expected > 0 && read == expected && !cut; }
};

// View switches in the header (bits of ViewFlags()).
constexpr uint32_t kHideDefaults = 1;
constexpr uint32_t kHideReadOnly = 2;
constexpr uint32_t kFilterActive = 4;

// Selection flags of a parameter.
constexpr int kSelHidden = 1;
constexpr int kSelNoDownload = 2;
constexpr int kSelNoUpload = 4;

class CParSet {
public:
    static constexpr int kHeaderSize = 712;
    static constexpr int kRecordsOffset = 1000;        // current format
    static constexpr int kOldRecordsOffset = 1010;     // older format, after the "**********" mark
    static constexpr int kRecordSize = 64;
    static constexpr int kNameFieldSize = 124;
    static constexpr uint32_t kFormatMark = 0x40425;

    CParSet();
    virtual ~CParSet() = default;
    CParSet(const CParSet&) = default;
    CParSet& operator=(const CParSet&) = default;

    // --- the parameters -------------------------------------------------
    // Removes all parameters and group starts (the header stays).
    void Empty();
    // Appends a copy of par to group g and returns its index. A group number
    // different from the previous call's starts group g here; groups skipped
    // over start here too (they are empty). Returns -1 for g < 0.
    int AddParameter(const CPar& par, int g);

    int Count() const { return static_cast<int>(pars_.size()); }
    int NumberOfGroups() const { return static_cast<int>(groupStarts_.size()); }
    int GroupStart(int g) const;                 // -1 if g is no group
    int GroupSize(int g) const;                  // -1 if g is no group
    int FlatIndex(int g, int i) const;           // -1 if not found
    int GetParameter(int g, int i, CPar& out) const;  // 1, or 0 if not found
    int GetDefault(int g, int i) const;          // 0 if not found
    int IsAtDefault(int g, int i) const;         // 1 or 0 (0 if not found)
    int GetAccess(int g, int i) const;           // 0 if not found
    // Choice parameter: raw = min + n (n = position among the offered
    // choices); numeric: raw = n. kValueOk, kValueBelowMin, kValueAboveMax or
    // kValueNotFound; a value that fails the check is not stored.
    int SetValue(int g, int i, int n);
    // raw = ceil(decimal value of text * 10^decimals), then as SetValue. The
    // text is read like a C decimal number: leading blanks skipped, stops at
    // the first character that does not fit, no number gives 0.
    int SetValueFromText(int g, int i, const std::string& text);
    // A raw value as the drive holds it (no choice position, no scaling),
    // with the same checks and results as SetValue.
    int SetRawValue(int g, int i, int raw);
    int GetSelectionFlags(int g, int i) const;   // -1 if not found
    int SetSelectionFlags(int g, int i, int flags);  // 0, or -1 if not found
    int GroupSelectionFlags(int g) const;        // AND over the group; -1 if g is no group

    // By index, unchecked.
    int ValueAt(int k) const { return pars_[k].value; }
    int ValueAt(int k, int& access) const { access = pars_[k].access; return pars_[k].value; }
    void SetValueAt(int k, int n) { pars_[k].value = n; }
    int RegisterOffsetAt(int k) const { return pars_[k].RegisterOffset(); }
    int SelectionFlagsAt(int k) const { return pars_[k].selectionFlags; }
    const std::string& NameAt(int k) const { return pars_[k].name; }
    const CPar& At(int k) const { return pars_[k]; }
    CPar& At(int k) { return pars_[k]; }
    const std::vector<CPar>& Parameters() const { return pars_; }

    // --- header ----------------------------------------------------------
    const std::string& DefinitionName() const { return definitionName_; }
    void SetDefinitionName(const std::string& name) { definitionName_ = name; }
    uint16_t DeviceType() const { return HeaderWord(170); }
    uint16_t Application() const { return HeaderWord(172); }
    uint16_t Version() const { return HeaderWord(174); }
    void SetDeviceType(uint16_t v) { SetHeaderWord(170, v); }
    void SetApplication(uint16_t v) { SetHeaderWord(172, v); }
    void SetVersion(uint16_t v) { SetHeaderWord(174, v); }
    uint32_t ViewFlags() const;
    void SetViewFlags(uint32_t flags);
    // Revision texts: device type, application, version; then the texts of
    // revision keys 4 to 6, kept but never shown (the date of the revision,
    // its author and the definition's own name).
    std::string deviceTypeText, applicationText, versionText;
    std::string revisionDate, revisionAuthor, revisionName;
    const std::array<uint8_t, kHeaderSize>& HeaderBlock() const { return header_; }

    // --- parameter file ---------------------------------------------------
    // Writes the header block at offset 0 and zero filler up to offset 1000;
    // the stream is left at 1000. Returns 0 (-1 if the stream failed).
    // A definition name longer than the name field allows is cut to 123 bytes.
    int WriteHeader(std::ostream& out);
    // Recognises the current and the older format, checks the header and
    // takes over name, device type, application, version and view switches.
    // Shows the messages of the failures. Returns a kHeader... code; on
    // success the stream stands at the first record.
    int ReadHeader(std::istream& in);
    // Writes the 64-byte record of parameter k at the current position.
    int WriteRecord(std::ostream& out, int k) const;
    // Reads 64 bytes and takes the value and the selection flags for
    // parameter k. kRecordRead, kRecordEnd (no byte left), kRecordCut (the
    // file ends inside the record; nothing shown) or kRecordError ("File
    // error" shown: the stream failed).
    int ReadRecord(std::istream& in, int k);
    // Header and every record: a whole parameter file. 0, or -1 when the
    // stream failed.
    int WriteFile(std::ostream& out);
    // Records for the parameters in set order until the file ends. Says how
    // many were read (the header fields of the result are left to the caller).
    ParFileReading ReadRecords(std::istream& in);

protected:
    // Stores raw as the value of parameter k if it lies within its limits.
    int StoreChecked(int k, double raw);
    uint16_t HeaderWord(int offset) const;
    void SetHeaderWord(int offset, uint16_t v);
    uint32_t HeaderLong(int offset) const;
    void SetHeaderLong(int offset, uint32_t v);

private:
    std::vector<CPar> pars_;
    std::vector<int> groupStarts_;
    int currentGroup_ = -1;
    int previousGroup_ = -1;
    std::string definitionName_;
    std::array<uint8_t, kHeaderSize> header_{};
};

}  // namespace merlin
