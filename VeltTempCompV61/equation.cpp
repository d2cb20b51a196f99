#include "equation_file.h"

#include "VeltTempCompV61Ids.h" // generated from VeltTempCompV61.uir: panel and control identifiers
#include "VeltTempCompV61Program.h"

#include "rt_file.h"
#include "rt_ui.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

const int kCoefficientCtrls[kEquationValues] = {
    P_EDITRX4, P_EDITRX3, P_EDITRX2, P_EDITRX1, P_EDITRT,  P_EDITGX4, P_EDITGX3, P_EDITGX2,
    P_EDITGX1, P_EDITGT,  P_EDITBX4, P_EDITBX3, P_EDITBX2, P_EDITBX1, P_EDITBT,
};

const char *const kWriteFailedText = " The equation file could not be written. \n Nothing was saved.";
const char *const kUnreadableText = " The equation file could not be read. \n The coefficients are unchanged.";
const char *const kWrongCountText = " The equation file must hold 15 numbers. \n The coefficients are unchanged.";
const char *const kNotNumberText =
    " The equation file holds text that is not a number. \n The coefficients are unchanged.";

// The file dialog of both buttons; true when a file was chosen.
bool chooseFile(char path[260])
{
    const int r =
        FileSelectPopup(proj_dir, "equation.equ", "*.equ", "equation", VAL_OK_CANCEL_FILE_SELECT, 0, 1, 1, 1, path);
    return r == VAL_EXISTING_FILE_SELECTED || r == VAL_NEW_FILE_SELECTED;
}

} // namespace

int CBF_ButtonSaveEquation(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    char path[260] = "";
    if (!chooseFile(path))
        return 0;
    double values[kEquationValues];
    for (int i = 0; i < kEquationValues; ++i)
        GetCtrlVal(panel, kCoefficientCtrls[i], &values[i]);
    if (WriteEquationFile(path, values) != 0)
        MessagePopup("ATTENTION!", kWriteFailedText);
    return 0;
}

int CBF_ButtonGetEquation(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    char path[260] = "";
    if (!chooseFile(path))
        return 0;
    double values[kEquationValues];
    switch (ReadEquationFile(path, values)) {
    case EquationRead::Ok:
        for (int i = 0; i < kEquationValues; ++i)
            SetCtrlVal(panel, kCoefficientCtrls[i], values[i]);
        break;
    case EquationRead::Unreadable: MessagePopup("ATTENTION!", kUnreadableText); break;
    case EquationRead::WrongCount: MessagePopup("ATTENTION!", kWrongCountText); break;
    case EquationRead::NotNumber: MessagePopup("ATTENTION!", kNotNumberText); break;
    }
    return 0;
}
