// File services: line-oriented files, text arrays, program directory.
#pragma once

enum { VAL_READ_WRITE = 0, VAL_READ_ONLY = 1, VAL_WRITE_ONLY = 2 };
enum { VAL_TRUNCATE = 0, VAL_APPEND = 1, VAL_OPEN_AS_IS = 2 };
enum { VAL_BINARY = 0, VAL_ASCII = 1 };
enum { VAL_GROUPS_TOGETHER = 0, VAL_DATA_MULTIPLEXED = 1 };
enum { VAL_GROUPS_AS_ROWS = 0, VAL_GROUPS_AS_COLUMNS = 1 };
enum { VAL_CONST_WIDTH = 0, VAL_SEP_BY_COMMA = 1, VAL_SEP_BY_TAB = 2 };
// Data types for arrays (same values as in rt_ui.h).

enum { kFileError = -1, kFileEof = -2 };

// Returns a file handle (>= 0) or -1.
int OpenFile(const char *fileName, int readWrite, int action, int fileType);
int CloseFile(int fileHandle);
// Reads one line without its line end (LF or CR LF), at most maxChars
// characters; the buffer must hold maxChars + 1. Returns the count, -2 at end
// of file, -1 on error.
int ReadLine(int fileHandle, char *buffer, int maxChars);
// Writes count bytes (-1: up to the NUL) and a line feed. Returns the count or -1.
int WriteLine(int fileHandle, const char *buffer, int count);
// Writes count raw bytes. Returns the count or -1.
int WriteFile(int fileHandle, const char *buffer, int count);
// Reads up to count raw bytes. Returns the count (0 at end) or -1.
int ReadFile(int fileHandle, char *buffer, int count);
int DeleteFile(const char *fileName);
// 1 if the file exists (size in *size), 0 if not, negative on error.
int GetFileInfo(const char *fileName, long *size);

// Writes numElements values (split into numGroups groups) as text. Rewrites
// of a whole file are atomic. Returns 0 or a negative code.
int ArrayToFile(const char *fileName, const void *array, int dataType, int numElements, int numGroups,
                int arrayDataOrder, int fileLayout, int colSepStyle, int fieldWidth, int fileType,
                int fileAction);
// Reads up to numElements values. Returns the number of values really read
// (>= 0), or a negative code when the file cannot be read or holds text that
// is not a number. Elements past the count are left untouched.
int FileToArray(const char *fileName, void *array, int dataType, int numElements, int numGroups,
                int arrayDataOrder, int fileLayout, int fileType);

// The program's directory for its own files (see README); dir holds 260 bytes.
int GetProjectDir(char *dir);
int SetDir(const char *dir);
int GetDir(char *dir);
