// Combo box control: turns a string control of a panel into a text field with
// a drop-down list of prepared or earlier entries and completion of the typed
// text from that list.
//
// The combo box is built from three run-time controls that its callbacks keep
// consistent:
//   - the string control the caller supplies; its identifier is the combo
//     box's identifier in every operation below;
//   - a ring holding the list: a narrow square as high as the string control,
//     directly to its left, so that it reads as the drop-down arrow;
//   - a decoration framing both, stacked behind them.
//
// Each operation returns 0 or a positive value on success and a negative error
// code otherwise: COMBO_ERR_NOT_COMBO_BOX (-45) when the control is not a combo
// box (for Combo_NewComboBox: when it already is one or is not a string
// control), COMBO_ERR_UNKNOWN_ATTRIBUTE (-46) for an attribute code the
// operation does not know or cannot set, UIEOutOfMemory (-12) when memory runs
// out, and otherwise the code of the run-time call that failed.
//
// Combo attributes and what they reach ("-" = not settable, -46):
//
//   code  attribute                        set on                 read from
//   ----  -------------------------------  ---------------------  ---------
//    1    height                           -                      frame
//    2    width of the whole combo box     frame; string = value  frame
//                                          minus the ring width
//    3    ATTR_TEXT_COLOR                  string                 string
//    4    ATTR_TEXT_BGCOLOR (all parts)    string, ring, frame    string
//    5    ATTR_TEXT_POINT_SIZE             string, ring; then     string
//                                          the geometry rebuild
//    6    ATTR_TEXT_SELECTION_START        -                      string
//    7    ATTR_TEXT_FONT (text value)      string, ring; then     string
//                                          the geometry rebuild
//    8    ATTR_TEXT_BOLD                   ring, string           string
//    9    ATTR_TEXT_ITALIC                 ring, string           string
//   10    left edge                        frame = v, ring = v+1, frame
//                                          string = v + ring width
//   11    top edge                         frame = v, ring = v+1, frame
//                                          string = v+1
//   12    visible                          string, ring, frame    frame
//   13    dimmed                           string, ring, frame    frame
//   14    maximum entry length (-1 = none) string                 string
//
// Code 7 takes and gives text (the const char* / char* overloads); all other
// codes take and give integers. Using the other overload for a code answers -46.
//
// Geometry rebuild (after codes 5 and 7): with h the string control's height
// after the font change, the ring becomes an h x h square, the frame h + 2 high
// and (string width + h) wide, and the string's left edge moves to the frame's
// left edge + h. The same layout holds after creation and after codes 2, 10
// and 11.
//
// Keyboard handling in the entry field: Down or Up opens the list; Shift+Tab
// moves to the nearest operable control before the combo box in tab order
// (wrapping to the last); Backspace and Esc switch completion off until any
// other key is pressed. These three keys are consumed by the combo box. Every
// event of the string control reaches the callback it had before, with the
// same arguments; that callback's result is OR-ed into the combo box's result.
#pragma once

#include "rt_ui.h"

enum {
    COMBO_ERR_NOT_COMBO_BOX = -45,
    COMBO_ERR_UNKNOWN_ATTRIBUTE = -46,
};

enum {
    COMBO_ATTR_HEIGHT = 1,
    COMBO_ATTR_WIDTH = 2,
    COMBO_ATTR_TEXT_COLOR = 3,
    COMBO_ATTR_COLOR = 4,
    COMBO_ATTR_TEXT_POINT_SIZE = 5,
    COMBO_ATTR_TEXT_SELECTION_START = 6,
    COMBO_ATTR_TEXT_FONT = 7,
    COMBO_ATTR_TEXT_BOLD = 8,
    COMBO_ATTR_TEXT_ITALIC = 9,
    COMBO_ATTR_LEFT = 10,
    COMBO_ATTR_TOP = 11,
    COMBO_ATTR_VISIBLE = 12,
    COMBO_ATTR_DIMMED = 13,
    COMBO_ATTR_MAX_ENTRY_LENGTH = 14,
};

// Marks a record as a combo box record.
constexpr int kComboTag = 0x5574;

// The record each combo box owns; it is the string control's callback data.
struct ComboRecord {
    int panel;
    int ring;
    int string;
    int frame;
    CtrlCallbackPtr userCallback; // the string control's callback before (may be null)
    void *userCallbackData;       // its callback data before
    int lock;
    int maxLength;  // maximum entry length + 1, or -1 for unlimited
    int listOpened; // 1 while the list is being opened from the keyboard
    int tag;        // kComboTag
    int busy;       // callbacks of this combo box running now
    int discarded;  // discarded while busy: freed when the last callback returns
};

// Builds the combo box around the string control; returns its identifier.
int Combo_NewComboBox(int panel, int control);
// Discards ring, frame and string control, then the lock and the record.
int Combo_DiscardComboBox(int panel, int control);
// Inserts text as label and value at index (-1 appends); returns the index used.
int Combo_InsertComboItem(int panel, int control, int index, const char *text);
// Deletes count items from index (count -1: to the end of the list).
int Combo_DeleteComboItem(int panel, int control, int index, int count);
// Replaces the label and value of the item at index.
int Combo_ReplaceComboItem(int panel, int control, int index, const char *text);
// Index of the item whose value equals text, -1 if there is none.
int Combo_GetIndexFromValue(int panel, int control, int *index, const char *text);
// Number of items in the list.
int Combo_GetNumComboItems(int panel, int control, int *count);
// Value of the item at index, cut to bufSize - 1 bytes and terminated.
int Combo_GetComboItemValue(int panel, int control, int index, char *value, int bufSize);

int Combo_SetComboAttribute(int panel, int control, int attribute, int value);
int Combo_SetComboAttribute(int panel, int control, int attribute, const char *value);
int Combo_GetComboAttribute(int panel, int control, int attribute, int *value);
// value must hold the text (a font name).
int Combo_GetComboAttribute(int panel, int control, int attribute, char *value);

// Sends the string control's former callback a value-changed event now and a
// commit event from the event loop later (through SendCommitEvent).
int SendValChangedEvent(int panel, int control);
// The deferred half of SendValChangedEvent. callbackData is the pending call
// that SendValChangedEvent posted; it is freed here. Does nothing when the
// combo box has been discarded in between.
void SendCommitEvent(void *callbackData);
