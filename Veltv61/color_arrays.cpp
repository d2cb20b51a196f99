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

namespace {

constexpr int kPathBytes = 260;

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
    int values[kColorArraySize + 1];
    const int n = FileToArray(path, values, VAL_INTEGER, kColorArraySize + 1, 1, VAL_GROUPS_TOGETHER,
                              VAL_GROUPS_AS_COLUMNS, VAL_ASCII);
    if (!ColorArrayValid(values, n)) {
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
    if (ArrayToFile(file_name, qvcolarr, VAL_INTEGER, kColorArraySize, 1, VAL_GROUPS_TOGETHER, VAL_GROUPS_AS_COLUMNS,
                    VAL_CONST_WIDTH, 10, VAL_ASCII, VAL_TRUNCATE) < 0)
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
    if (WriteWholeFile(colorArrayStartupFileName, file_name, kPathBytes) < 0) {
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
    char bytes[kPathBytes];
    const int fh = OpenFile(colorArrayStartupFileName, VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    if (fh < 0)
        return;
    const int n = ReadFile(fh, bytes, kPathBytes);
    CloseFile(fh);
    char path[kPathBytes];
    if (n <= 0 || !StartupPathFromBytes(bytes, n, path))
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
