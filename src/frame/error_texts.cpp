// The message text of each runtime error number.
#include "libtq.h"

const char *error_text(int32_t n) {
    switch (n) {
    case 0: return "No error";
    case 1: return "NEXT without FOR";
    case 2: return "Syntax error";
    case 3: return "RETURN without GOSUB";
    case 4: return "Out of DATA";
    case 5: return "Illegal function call";
    case 6: return "Overflow";
    case 7: return "Out of memory";
    case 8: return "Label not defined";
    case 9: return "Subscript out of range";
    case 10: return "Duplicate definition";
    case 12: return "Illegal in direct mode";
    case 13: return "Type mismatch";
    case 14: return "Out of string space";
    case 16: return "String formula too complex";
    case 17: return "Cannot continue";
    case 18: return "Function not defined";
    case 19: return "No RESUME";
    case 20: return "RESUME without error";
    case 24: return "Device timeout";
    case 25: return "Device fault";
    case 26: return "FOR without NEXT";
    case 27: return "Out of paper";
    case 29: return "WHILE without WEND";
    case 30: return "WEND without WHILE";
    case 33: return "Duplicate label";
    case 35: return "Subprogram not defined";
    case 37: return "Argument-count mismatch";
    case 38: return "Array not defined";
    case 40: return "Variable required";
    case 50: return "FIELD overflow";
    case 51: return "Internal error";
    case 52: return "Bad file name or number";
    case 53: return "File not found";
    case 54: return "Bad file mode";
    case 55: return "File already open";
    case 56: return "FIELD statement active";
    case 57: return "Device I/O error";
    case 58: return "File already exists";
    case 59: return "Bad record length";
    case 61: return "Disk full";
    case 62: return "Input past end of file";
    case 63: return "Bad record number";
    case 64: return "Bad file name";
    case 67: return "Too many files";
    case 68: return "Device unavailable";
    case 69: return "Communication-buffer overflow";
    case 70: return "Permission denied";
    case 71: return "Disk not ready";
    case 72: return "Disk-media error";
    case 73: return "Feature unavailable";
    case 74: return "Rename across disks";
    case 75: return "Path/File access error";
    case 76: return "Path not found";
    case 258: return "Invalid handle";
    case 300: return "Memory region out of range";
    case 301: return "Invalid size";
    case 302: return "Source memory region out of range";
    case 303: return "Destination memory region out of range";
    case 304: return "Source and destination memory regions out of range";
    case 305: return "Source memory has been freed";
    case 306: return "Destination memory has been freed";
    case 307: return "Memory already freed";
    case 308: return "Memory has been freed";
    case 309: return "Memory not initialized";
    case 310: return "Source memory not initialized";
    case 311: return "Destination memory not initialized";
    case 312: return "Source and destination memory not initialized";
    case 313: return "Source and destination memory have been freed";
    case 314: return "_ASSERT failed";
    case 315: return "_ASSERT failed (check console for description)";
    default: return "Unprintable error";
    }
}
