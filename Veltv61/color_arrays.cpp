// Colour array files: SAVE ARRAY, GET ARRAY and SET STARTUP ARRAY on the
// row-colour panel, and the start-up load. A colour array file holds the 45
// entries of qvcolarr, one decimal number a line; the start-up path file
// holds the 260 bytes of the path buffer, the path NUL-terminated.
#include "color_arrays.h"

#include "Veltv61Ids.h"
#include "Veltv61Program.h"
#include "commands.h"
#include "rt_file.h"
#include "teach_table.h"

#include <cstdio>
#include <cstring>

int WriteColorArrayFile(const char *path, const int colours[kColorArraySize])
{
    const int rc = ArrayToFile(path, colours, VAL_INTEGER, kColorArraySize, 1, VAL_GROUPS_TOGETHER,
                               VAL_GROUPS_AS_COLUMNS, VAL_CONST_WIDTH, 10, VAL_ASCII, VAL_TRUNCATE);
    return rc < 0 ? rc : 0;
}

bool ReadColorArrayFileValues(const char *path, int colours[kColorArraySize])
{
    // One more than a colour array holds, to tell a file with too many apart.
    int values[kColorArraySize + 1];
    const int n = FileToArray(path, values, VAL_INTEGER, kColorArraySize + 1, 1, VAL_GROUPS_TOGETHER,
                              VAL_GROUPS_AS_COLUMNS, VAL_ASCII);
    if (!ColorArrayValid(values, n))
        return false;
    std::memcpy(colours, values, sizeof(int) * kColorArraySize);
    return true;
}

namespace {

constexpr int kPathBytes = 260;

} // namespace

int WriteStartupPathFile(const char *file, const char *path)
{
    char bytes[kPathBytes] = {};
    std::memcpy(bytes, path, strnlen(path, kPathBytes - 1));
    return WriteWholeFile(file, bytes, kPathBytes);
}

bool ReadStartupPathFile(const char *file, char path[kPathBytes])
{
    path[0] = '\0';
    char bytes[kPathBytes];
    const int fh = OpenFile(file, VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    if (fh < 0)
        return false;
    const int n = ReadFile(fh, bytes, kPathBytes);
    CloseFile(fh);
    return n > 0 && StartupPathFromBytes(bytes, n, path);
}

namespace {

// The file dialog of the three commands. True when a file was chosen (the
// dialog itself refuses a path too long for the path buffer).
bool SelectArrayFile(int buttonLabel)
{
    return FileSelectPopup(proj_dir, "ColorArray.car", "*.car", "ColorArray", buttonLabel, 0, 1, 1, 1, file_name) >= 1;
}

void ShowFileFailure(const char *what, const char *path)
{
    char text[kPathBytes + 200];
    std::snprintf(text, sizeof text, " %s \n %s", what, path);
    MessagePopup("ATTENTION!", text);
}

// Reads a colour array file into qvcolarr; a file that does not hold
// exactly 45 colours leaves qvcolarr as it was and says so.
bool ReadColorArrayFile(const char *path)
{
    int values[kColorArraySize];
    if (!ReadColorArrayFileValues(path, values)) {
        ShowFileFailure("The file is not a color array: it must hold 45 colors from 0 to 16777215 (0xFFFFFF). \n "
                        "The row colors were not changed.",
                        path);
        return false;
    }
    std::memcpy(qvcolarr, values, sizeof qvcolarr);
    return true;
}

} // namespace

void SaveColorArray()
{
    if (!SelectArrayFile(VAL_SAVE_BUTTON))
        return;
    if (WriteColorArrayFile(file_name, qvcolarr) < 0)
        ShowFileFailure("The color array could not be written to", file_name);
}

void GetColorArray()
{
    if (SelectArrayFile(VAL_LOAD_BUTTON))
        ReadColorArrayFile(file_name);
    ColorTableRows();
}

void SetStartupArray()
{
    std::memset(file_name, 0, sizeof file_name);
    if (!SelectArrayFile(VAL_SAVE_BUTTON))
        return;
    if (WriteStartupPathFile(colorArrayStartupFileName, file_name) < 0) {
        ShowFileFailure("The startup file name could not be written to", colorArrayStartupFileName);
        return;
    }
    MessagePopup("Startup File is:", file_name);
}

namespace {

// The start-up colour array into qvcolarr, if the start-up path file names
// one that exists; anything else keeps the colours as they are.
void ReadStartupColorArray()
{
    long size = 0;
    if (GetFileInfo(colorArrayStartupFileName, &size) != 1)
        return;
    char path[kPathBytes];
    if (!ReadStartupPathFile(colorArrayStartupFileName, path))
        return; // no NUL-terminated path in it: the built-in colours stay
    std::memcpy(file_name, path, std::strlen(path) + 1);
    if (GetFileInfo(path, &size) == 1)
        ReadColorArrayFile(path);
}

} // namespace

// The colour cells show the colours the circles are drawn in from the start,
// the built-in ones when no start-up array is loaded.
void LoadStartupColorArray()
{
    ReadStartupColorArray();
    ColorTableRows();
}

// ---- callbacks ---------------------------------------------------------------------

int CBF_ButtonSaveArray(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        SaveColorArray();
    return 0;
}

int CBF_ButtonGetArray(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        GetColorArray();
    return 0;
}

int CBF_ButtonSetStartupArray(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        SetStartupArray();
    return 0;
}
