// File services: line-oriented files, text arrays, program directory.
#pragma once

enum { VAL_READ_WRITE = 0, VAL_READ_ONLY = 1, VAL_WRITE_ONLY = 2 };
enum { VAL_TRUNCATE = 0, VAL_APPEND = 1, VAL_OPEN_AS_IS = 2 };
enum { VAL_BINARY = 0, VAL_ASCII = 1 };
enum { VAL_GROUPS_TOGETHER = 0, VAL_DATA_MULTIPLEXED = 1 };
enum { VAL_GROUPS_AS_ROWS = 0, VAL_GROUPS_AS_COLUMNS = 1 };
enum { VAL_CONST_WIDTH = 0, VAL_SEP_BY_COMMA = 1, VAL_SEP_BY_TAB = 2 };
// Data types for arrays (same values as in rt_ui.h).

enum {
    kFileError = -1,       // the file cannot be opened, read or written
    kFileEof = -2,         // ReadLine: end of file
    kFileBadArgument = -3, // null pointer, unknown data type, groups not dividing the count
    kFileNotNumeric = -4,  // FileToArray: text that is not a number of the data type
    kFileUnsupported = -5, // ArrayToFile / FileToArray: binary files
    kFileNotRegular = -6,  // the path names a FIFO, device, socket or directory
};

// Longest path the programs keep (their path buffers hold 260 bytes).
constexpr int kMaxPathBytes = 259;

// 0 when path names a regular file (also through a symbolic link) or
// nothing yet; kFileNotRegular for a FIFO, device node, socket or directory.
// Every whole-file read and write refuses the latter, so that a FIFO never
// blocks a program and a device node is never replaced by a file.
int CheckFileKind(const char *path);
// The pop-up titled "ATTENTION!" that names a path refused by CheckFileKind.
void ShowNotRegularFilePopup(const char *path);

// Returns a file handle (>= 0), -1, or kFileNotRegular.
int OpenFile(const char *fileName, int readWrite, int action, int fileType);
int CloseFile(int fileHandle);
// Reads one line without its line end (LF or CR LF), at most maxChars
// characters; the buffer must hold maxChars + 1. A longer line yields its
// first maxChars characters and the rest of it is skipped, so that every call
// consumes exactly one line. Returns the count, -2 at end of file, -1 on error.
int ReadLine(int fileHandle, char *buffer, int maxChars);
// Writes count bytes (-1: up to the NUL) and a line feed. Returns the count or -1.
int WriteLine(int fileHandle, const char *buffer, int count);
// Writes count raw bytes. Returns the count or -1.
int WriteFile(int fileHandle, const char *buffer, int count);
// Reads up to count raw bytes. Returns the count (0 at end) or -1.
int ReadFile(int fileHandle, char *buffer, int count);
// Appends count bytes to the end of the file (created if missing) with one
// write. When the write fails or is cut short, the file is cut back to its
// former length, so it never ends in part of the bytes. Returns 0, -1, or
// kFileNotRegular for a path that is not a regular file.
int AppendToFile(const char *fileName, const char *data, int count);
int DeleteFile(const char *fileName);
// 1 if the file exists (size in *size), 0 if not, negative on error.
int GetFileInfo(const char *fileName, long *size);

// Writes numElements values (split into numGroups groups) as text lines
// ended by CR LF. Doubles and floats are written in their shortest form that
// reads back to the same value. With VAL_CONST_WIDTH every value is
// right-aligned in fieldWidth characters (a wider value is kept whole and
// set off by one blank); with a comma or tab separator the values are
// written unpadded and fieldWidth is not used. VAL_TRUNCATE rewrites the
// file atomically; VAL_APPEND adds to its end. Returns 0 or a negative code.
int ArrayToFile(const char *fileName, const void *array, int dataType, int numElements, int numGroups,
                int arrayDataOrder, int fileLayout, int colSepStyle, int fieldWidth, int fileType, int fileAction);
// Reads up to numElements values. Returns the number of values really read
// (>= 0), or a negative code when the file cannot be read or holds text that
// is not a number. Elements past the count are left untouched; on a negative
// result the array is not touched at all. Values may be separated by blanks,
// tabs, commas and line ends (LF or CR LF).
int FileToArray(const char *fileName, void *array, int dataType, int numElements, int numGroups, int arrayDataOrder,
                int fileLayout, int fileType);

// The program's directory for its own files (see README); dir holds 260 bytes.
int GetProjectDir(char *dir);
int SetDir(const char *dir);
int GetDir(char *dir);

#include <string>
namespace rt {
// The directory GetProjectDir chooses for a program installed in exeDir:
// exeDir itself when the user may write there, else the per-user data
// directory ($XDG_DATA_HOME/veltra or ~/.local/share/veltra), created on
// demand. Empty when neither can be had.
std::string projectDirFor(const std::string &exeDir);
} // namespace rt

// Replaces a whole file with count raw bytes, atomically: a failed write
// leaves the old file as it was. Returns 0 or -1.
int WriteWholeFile(const char *fileName, const char *data, int count);
