#include "builtins.h"

#include <set>

namespace tqc {

namespace {

const simple_statement simple_statements[] = {
    {"CLS", "sub_cls(%0, %1, %P)", "iu", 0},
    {"COLOR", "tqg_sub_color(%0, %1, %2, %P)", "uuu", 0},
    {"LOCATE", "tqg_sub_locate(%0, %1, %2, %3, %4, %P)", "iiiii", 0},
    {"SCREEN", "tqg_screen(%0, %1, %2, %3, %4, %P)", "iiiii", 0},
    {"WIDTH", "tqsub_width(0, %0, %1, 0, 0, %P)", "ii", 0},
    {"PALETTE", "tqg_palette(%0, %1, %P)", "iu", 0},
    {"PCOPY", "sub_pcopy(%0, %1)", "ii", 2},
    {"SLEEP", "tqc::sleep_statement(%0, %P)", "i", 0},
    {"_TITLE", "sub__title(%0)", "s", 1},
    {"_DELAY", "tqc::delay_statement(%0)", "d", 1},
    {"_LIMIT", "tqc::limit_statement(%0)", "d", 1},
    {"_DEST", "sub__dest(%0)", "i", 1},
    {"_SOURCE", "sub__source(%0)", "i", 1},
    {"_FREEIMAGE", "sub__freeimage(%0, %P)", "i", 0},
    {"_DISPLAY", "sub__display()", "", 0},
    {"_AUTODISPLAY", "sub__autodisplay()", "", 0},
    {"_KEYCLEAR", "sub__keyclear(%0, %P)", "i", 0},
    {"_FONT", "sub__font(%0, 0, 0)", "i", 1},
};

} // namespace

const simple_statement *find_simple_statement(const std::string &name) {
    for (const simple_statement &s : simple_statements)
        if (name == s.name) return &s;
    return nullptr;
}

bool is_builtin_function(const std::string &name) {
    static const std::set<std::string> names = {
        "ABS",      "SGN",     "INT",   "FIX",       "SQR",       "SIN",      "COS",    "TAN",    "ATN",    "EXP",
        "LOG",      "CINT",    "CLNG",  "CSNG",      "CDBL",      "VAL",      "LEN",    "STR$",   "HEX$",   "OCT$",
        "CHR$",     "ASC",     "LEFT$", "RIGHT$",    "MID$",      "LTRIM$",   "RTRIM$", "_TRIM$", "UCASE$", "LCASE$",
        "SPACE$",   "STRING$", "INSTR", "_INSTRREV", "_STRCMP",   "_STRICMP", "TIMER",  "RND",    "INKEY$", "_KEYHIT",
        "_KEYDOWN", "CSRLIN",  "POS",   "POINT",     "_NEWIMAGE", "_DEST",    "_SOURCE"};
    return names.count(name) != 0;
}

bool is_unsupported_function(const std::string &name) {
    static const std::set<std::string> names = {
        "INPUT$",      "EOF",      "LOF",          "LOC",         "FREEFILE",       "PEEK",         "INP",
        "_MOUSEX",     "_MOUSEY",  "_MOUSEBUTTON", "_MOUSEINPUT", "DATE$",          "TIME$",        "COMMAND$",
        "ENVIRON$",    "FRE",      "VARPTR",       "VARSEG",      "SADD",           "_RGB",         "_RGB32",
        "_RGBA",       "_RGBA32",  "_LOADIMAGE",   "_WIDTH",      "_HEIGHT",        "ERR",          "ERL",
        "STICK",       "STRIG",    "PLAY",         "PEN",         "LPOS",           "_PI",          "_ROUND",
        "_CEIL",       "MKI$",     "MKL$",         "MKS$",        "MKD$",           "CVI",          "CVL",
        "CVS",         "CVD",      "_FONTWIDTH",   "_FONTHEIGHT", "_LOADFONT",      "_SCREENIMAGE", "_COPYIMAGE",
        "_PRINTWIDTH", "_RED",     "_GREEN",       "_BLUE",       "_ALPHA",         "_RED32",       "_GREEN32",
        "_BLUE32",     "_ALPHA32", "SHELL",        "DIR$",        "_CWD$",          "_FILEEXISTS",  "_DIREXISTS",
        "_CLIPBOARD$", "IOCTL$",   "_OS$",         "_ERRORLINE",  "_ERRORMESSAGE$", "_KEYCLEAR",    "_FULLSCREEN",
        "_RESIZE",     "_EXIT",    "_TOSTR$",      "_CONTROLCHR", "_AUTODISPLAY",   "_DISPLAY"};
    return names.count(name) != 0;
}

} // namespace tqc
