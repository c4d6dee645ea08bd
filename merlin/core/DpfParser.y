/* Grammar of the definition files.
 *
 * A file is a run of sections: an optional preamble (blank lines, comment
 * lines), a header line, another optional preamble and at least one data
 * line. "[End]" ends the parse. Every field is stored the moment it is
 * reduced; a section is closed (its end marker written) when the first token
 * that cannot continue it arrives.
 *
 * Three error alternatives give the classic yacc recovery its places:
 *   A  preamble: preamble error      -- bad tokens between sections are dropped,
 *                                       one "Error Comment:" each;
 *   B  other_head: error             -- data lines without a header are read as
 *                                       an unnamed section and not stored;
 *   C  <section>_field: error        -- a missing or surplus field ends the parse.
 * The conflicts are part of the design and are resolved by bison's rules
 * (the build silences their warnings; there are 11 shift/reduce and 7
 * reduce/reduce conflicts):
 *  - where A and B both fit, A is preferred because it comes first, so B
 *    takes only a data line (3 reduce/reduce);
 *  - a comment line after a header is a preamble line when more preamble or
 *    data follows, else the body's first line (4 reduce/reduce);
 *  - a comment line after a body belongs to the body (11 shift/reduce).
 */
%define api.pure full
%define api.prefix {dpf}
%define api.value.type {merlin::DpfToken}
%param {yyscan_t scanner}


%code requires {
#include <merlin/core/DpfReader.h>
#ifndef YY_TYPEDEF_YY_SCANNER_T
#define YY_TYPEDEF_YY_SCANNER_T
typedef void* yyscan_t;
#endif
}

%code provides {
namespace merlin {
// The token of a section header text; OTHER_HEADER when it names no section.
int HeaderToken(const std::string& text);
}
}

%code {
#include <merlin/core/CDpfParSet.h>

#include <climits>
#include <cstdio>
#include <new>

int dpflex(DPFSTYPE* value, yyscan_t scanner);
merlin::CDpfReader* dpfget_extra(yyscan_t scanner);
static void dpferror(yyscan_t scanner, const char* message)
{
    dpfget_extra(scanner)->SyntaxError(message);
}
#define R (*dpfget_extra(scanner))
using merlin::DpfSection;
}

%token BLANK_LINE COMMENT COMMA FIELD KEY NEWLINE EOF_WORD
%token H_LANGUAGE H_STRINGS H_GROUPS H_PARAMETERS H_PARAMLIST H_ENUM H_REVISION
%token H_FAULTCODE H_ACTIVE H_HISTORY H_END OTHER_HEADER

%%

file
    : %empty
    | file section
    ;

section
    : preamble H_END                                  { R.End(); YYACCEPT; }
    | EOF_WORD                                        { R.EndOfFileWord(); }
    | preamble lang_head preamble lang_body           { R.Close(DpfSection::Language); }
    | preamble str_head preamble str_body             { R.Close(DpfSection::Strings); }
    | preamble grp_head preamble grp_body             { R.Close(DpfSection::Groups); }
    | preamble par_head preamble par_body             { R.Close(DpfSection::Parameters); }
    | preamble pl_head preamble pl_body               { R.Close(DpfSection::ParameterList); }
    | preamble enum_head preamble enum_body           { R.Close(DpfSection::Enum); }
    | preamble rev_head preamble rev_body             { R.Close(DpfSection::Revision); }
    | preamble fc_head preamble fc_body               { R.Close(DpfSection::FaultCode); }
    | preamble act_head preamble fr_body              { R.Close(DpfSection::ActiveFaults); }
    | preamble hist_head preamble fr_body             { R.Close(DpfSection::FaultHistory); }
    | preamble other_head preamble other_body         { R.Close(DpfSection::Other); }
    ;

preamble
    : %empty
    | preamble BLANK_LINE
    | preamble COMMENT NEWLINE
    | preamble error                                  { R.ErrorComment(); }
    ;

lang_head : H_LANGUAGE NEWLINE   { R.Begin(DpfSection::Language); } ;
str_head  : H_STRINGS NEWLINE    { R.Begin(DpfSection::Strings); } ;
grp_head  : H_GROUPS NEWLINE     { R.Begin(DpfSection::Groups); } ;
par_head  : H_PARAMETERS NEWLINE { R.Begin(DpfSection::Parameters); } ;
pl_head   : H_PARAMLIST NEWLINE  { R.Begin(DpfSection::ParameterList); } ;
enum_head : H_ENUM NEWLINE       { R.Begin(DpfSection::Enum); } ;
rev_head  : H_REVISION NEWLINE   { R.Begin(DpfSection::Revision); } ;
fc_head   : H_FAULTCODE NEWLINE  { R.Begin(DpfSection::FaultCode); } ;
act_head  : H_ACTIVE NEWLINE     { R.Begin(DpfSection::ActiveFaults); } ;
hist_head : H_HISTORY NEWLINE    { R.Begin(DpfSection::FaultHistory); } ;
other_head
    : OTHER_HEADER NEWLINE       { R.OtherHeader(*$1.text); R.Begin(DpfSection::Other); }
    | error                      { R.ErrorTableKey(); R.Begin(DpfSection::Other); }
    ;

key : KEY                        { R.Key($1.number); } ;
comment_line : COMMENT NEWLINE ;

/* Bodies: the first line traces Entry1, every further one Entry2. */
lang_body  : lang_line  { R.Entry(true); } | lang_body lang_line   { R.Entry(false); } ;
str_body   : str_line   { R.Entry(true); } | str_body str_line     { R.Entry(false); } ;
grp_body   : grp_line   { R.Entry(true); } | grp_body grp_line     { R.Entry(false); } ;
par_body   : par_line   { R.Entry(true); } | par_body par_line     { R.Entry(false); } ;
pl_body    : pl_line    { R.Entry(true); } | pl_body pl_line       { R.Entry(false); } ;
enum_body  : enum_line  { R.Entry(true); } | enum_body enum_line   { R.Entry(false); } ;
rev_body   : rev_line   { R.Entry(true); } | rev_body rev_line     { R.Entry(false); } ;
fc_body    : fc_line    { R.Entry(true); } | fc_body fc_line       { R.Entry(false); } ;
fr_body    : fr_line    { R.Entry(true); } | fr_body fr_line       { R.Entry(false); } ;
other_body : other_line { R.Entry(true); } | other_body other_line { R.Entry(false); } ;

lang_line  : key COMMA lang_list NEWLINE  { R.EndLine(); } | comment_line ;
str_line   : key COMMA str_list NEWLINE   { R.EndLine(); } | comment_line ;
grp_line   : key COMMA grp_list NEWLINE   { R.EndLine(); } | comment_line ;
par_line   : key COMMA par_list NEWLINE   { R.EndLine(); } | comment_line ;
pl_line    : key COMMA pl_list NEWLINE    { R.EndLine(); } | comment_line ;
enum_line  : key COMMA enum_list NEWLINE  { R.EndLine(); } | comment_line ;
rev_line   : key COMMA rev_list NEWLINE   { R.EndLine(); } | comment_line ;
fc_line    : key COMMA fc_field COMMA fc_field COMMA fc_field COMMA fc_field COMMA fc_field NEWLINE
                                          { R.EndLine(); }
           | comment_line ;
fr_line    : key COMMA fr_field NEWLINE   { R.EndLine(); } | comment_line ;
other_line : key COMMA other_list NEWLINE { R.EndLine(); } | comment_line ;

/* Open lists may end in a comma; closed lists may not. */
lang_list  : lang_field  | lang_list COMMA  | lang_list COMMA lang_field ;
str_list   : str_field   | str_list COMMA   | str_list COMMA str_field ;
rev_list   : rev_field   | rev_list COMMA   | rev_list COMMA rev_field ;
other_list : other_field | other_list COMMA | other_list COMMA other_field ;
grp_list   : grp_field   | grp_list COMMA grp_field ;
par_list   : par_field   | par_list COMMA par_field ;
pl_list    : pl_field    | pl_list COMMA pl_field ;
enum_list  : enum_field  | enum_list COMMA enum_field ;

lang_field  : FIELD { R.Field(*$1.text); } | error { R.ErrorField(DpfSection::Language); YYABORT; } ;
str_field   : FIELD { R.Field(*$1.text); } | error { R.ErrorField(DpfSection::Strings); YYABORT; } ;
grp_field   : FIELD { R.Field(*$1.text); } | error { R.ErrorField(DpfSection::Groups); YYABORT; } ;
par_field   : FIELD { R.Field(*$1.text); } | error { R.ErrorField(DpfSection::Parameters); YYABORT; } ;
pl_field    : FIELD { R.Field(*$1.text); } | error { R.ErrorField(DpfSection::ParameterList); YYABORT; } ;
enum_field  : FIELD { R.Field(*$1.text); } | error { R.ErrorField(DpfSection::Enum); YYABORT; } ;
rev_field   : FIELD { R.Field(*$1.text); } | error { R.ErrorField(DpfSection::Revision); YYABORT; } ;
fc_field    : FIELD { R.Field(*$1.text); } | error { R.ErrorField(DpfSection::FaultCode); YYABORT; } ;
fr_field    : FIELD { R.Field(*$1.text); } | error { R.ErrorField(DpfSection::ActiveFaults); YYABORT; } ;
other_field : FIELD { R.Field(*$1.text); } | error { R.ErrorField(DpfSection::Other); YYABORT; } ;

%%

int dpflex_init_extra(merlin::CDpfReader* reader, yyscan_t* scanner);
int dpflex_destroy(yyscan_t scanner);
struct yy_buffer_state* dpf_scan_bytes(const char* bytes, int length, yyscan_t scanner);

namespace merlin {

int HeaderToken(const std::string& text)
{
    static const struct { const char* text; int token; } kHeaders[] = {
        {"[Language]", H_LANGUAGE},       {"[Strings]", H_STRINGS},
        {"[Groups]", H_GROUPS},           {"[Parameters]", H_PARAMETERS},
        {"[Parameter List]", H_PARAMLIST}, {"[Enum]", H_ENUM},
        {"[Revision]", H_REVISION},       {"[Fault Code]", H_FAULTCODE},
        {"[Active Faults]", H_ACTIVE},    {"[Fault History]", H_HISTORY},
        {"[End]", H_END},
    };
    for (const auto& header : kHeaders)
        if (text == header.text)
            return header.token;
    return OTHER_HEADER;
}

int CDpfReader::Parse(std::string_view text)
{
    yyscan_t scanner = nullptr;
    if (dpflex_init_extra(this, &scanner) != 0)
        return kParseNoMemory;
    int result = kParseNoMemory;
    try {
        if (text.size() <= INT_MAX && dpf_scan_bytes(text.data(), static_cast<int>(text.size()), scanner))
            result = dpfparse(scanner);
    } catch (const std::bad_alloc&) {
        SyntaxError("memory exhausted");
    }
    dpflex_destroy(scanner);
    Writef("************* %d Errors ***************\n", errors_);
    return result;
}

}  // namespace merlin
