#pragma once
// The state of one parse of a definition file, shared by the generated
// scanner (DpfScanner.l) and parser (DpfParser.y): the current line, key,
// field number and section; the store dispatch into the target CDpfParSet;
// and the diagnostic trace with its fixed line formats.
//
// Not part of the public API: use CDpfParSet::ParseDefinition.
#include <merlin/core/DpfTables.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>

namespace merlin {

class CDpfParSet;

// The semantic value of a token: the number of a KEY, the text of a FIELD,
// COMMENT or OTHER_HEADER. Kept trivial for the parser's stacks; the text
// lives in the reader's small ring of token texts.
struct DpfToken {
    int number;
    const std::string* text;
};

class CDpfReader {
public:
    CDpfReader(CDpfParSet& target, std::ostream* trace);

    // Scans and parses text; kParseOk, kParseAborted or kParseNoMemory.
    int Parse(std::string_view text);

    // --- scanner side ------------------------------------------------------
    // Keeps a token's text until a few tokens later.
    const std::string* Keep(const char* text, size_t length);
    void CountLine() { ++line_; }
    void MarkKeyLine() { keyLine_ = line_; }
    void SwallowedComma() { Write(","); }

    // --- parser side -------------------------------------------------------
    void Begin(DpfSection section);
    void Key(int key);
    void Field(const std::string& text);
    void EndLine() { field_ = 0; }
    void Entry(bool first) { Write(first ? "Entry1\n" : "Entry2\n"); }
    void Close(DpfSection section);
    void OtherHeader(const std::string& text) { Write("TableKey: "); Write(text); }
    void End() { Write("EndTable\n"); }
    void EndOfFileWord() { Write("Error End of file:\n"); }
    void ErrorComment() { Write("Error Comment:\n"); }
    void ErrorTableKey() { Write("Error TableKey:  Common Table\n"); }
    void ErrorField(DpfSection section);
    void SyntaxError(const char* message);

private:
    // Nothing is formatted when the trace is dropped: formatting would cost
    // more than the reading itself.
    void Write(std::string_view text) { if (trace_) trace_->write(text.data(), static_cast<std::streamsize>(text.size())); }
    template <typename... Args>
    void Writef(const char* format, Args... args)
    {
        if (!trace_)
            return;
        char text[96];
        const int n = std::snprintf(text, sizeof text, format, args...);
        Write(std::string_view(text, n < 0 ? 0 : std::min<size_t>(static_cast<size_t>(n), sizeof text - 1)));
    }
    bool KeyFits(int key) const;

    CDpfParSet& target_;
    std::ostream* trace_;
    std::array<std::string, 8> texts_;
    size_t nextText_ = 0;
    int line_ = 1;
    int keyLine_ = 0;
    int key_ = 0;
    int field_ = 0;
    bool ignoreLine_ = false;
    bool sectionHasKey_ = false;
    int errors_ = 0;
    DpfSection section_ = DpfSection::Other;
};

}  // namespace merlin
