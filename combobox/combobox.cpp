// Combo box control built from a string control, a ring and a frame.
#include "combobox.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <set>

namespace {

// Program-wide: completion is on until Backspace or Esc, and on again with any other key.
int autoCompletion = 1;

// Records of the combo boxes that exist. A control's callback data is only
// taken for a record when it is one of these, so foreign callback data is
// never read as a record.
std::set<ComboRecord *> &liveRecords()
{
    static std::set<ComboRecord *> records;
    return records;
}

// The frame lies behind every other control, so that it never takes the
// clicks meant for the ring or the entry field.
constexpr int kFrameZPlane = 1 << 20;
// A string control holds at most this many characters.
constexpr int kMaxTextBytes = 32767;
// Control identifiers are probed up to this far past the highest one found
// when looking for the control before the combo box in tab order.
constexpr int kProbeSlack = 64;

// Holds the record's lock for one operation or event and keeps the record
// alive while it runs: a combo box discarded from inside one of its own
// callbacks is freed only when the outermost of them returns.
class RecordUse {
public:
    explicit RecordUse(ComboRecord *r) : r_(r)
    {
        ++r_->busy;
        int obtained = 0;
        GetLock(r_->lock, &obtained);
    }
    ~RecordUse()
    {
        ReleaseLock(r_->lock);
        if (--r_->busy == 0 && r_->discarded) {
            DiscardLock(r_->lock);
            delete r_;
        }
    }
    RecordUse(const RecordUse &) = delete;
    RecordUse &operator=(const RecordUse &) = delete;

private:
    ComboRecord *r_;
};

ComboRecord *liveRecord(void *data)
{
    auto *r = static_cast<ComboRecord *>(data);
    if (!r || !liveRecords().count(r) || r->tag != kComboTag || r->discarded)
        return nullptr;
    return r;
}

// The record of the combo box whose string control this is, or null.
ComboRecord *recordOf(int panel, int control)
{
    void *data = nullptr;
    if (GetCtrlAttribute(panel, control, ATTR_CALLBACK_DATA, &data) < 0)
        return nullptr;
    ComboRecord *r = liveRecord(data);
    if (!r || r->panel != panel || r->string != control)
        return nullptr;
    return r;
}

int getInt(int panel, int control, int attribute)
{
    int v = 0;
    GetCtrlAttribute(panel, control, attribute, &v);
    return v;
}

// Keeps the first error of a series of run-time calls.
void note(int &status, int r)
{
    if (r < 0 && status >= 0)
        status = r;
}

// Lays the three parts out from the frame's top-left corner and the entry
// field's width: the ring is a square as high as the entry field.
int layout(ComboRecord *r, int frameLeft, int frameTop, int stringWidth)
{
    const int h = getInt(r->panel, r->string, ATTR_HEIGHT);
    stringWidth = std::max(0, stringWidth);
    int st = 0;
    note(st, SetCtrlAttribute(r->panel, r->ring, ATTR_LEFT, frameLeft + 1));
    note(st, SetCtrlAttribute(r->panel, r->ring, ATTR_TOP, frameTop + 1));
    note(st, SetCtrlAttribute(r->panel, r->ring, ATTR_WIDTH, h));
    note(st, SetCtrlAttribute(r->panel, r->ring, ATTR_HEIGHT, h));
    note(st, SetCtrlAttribute(r->panel, r->string, ATTR_LEFT, frameLeft + h));
    note(st, SetCtrlAttribute(r->panel, r->string, ATTR_TOP, frameTop + 1));
    note(st, SetCtrlAttribute(r->panel, r->string, ATTR_WIDTH, stringWidth));
    note(st, SetCtrlAttribute(r->panel, r->frame, ATTR_LEFT, frameLeft));
    note(st, SetCtrlAttribute(r->panel, r->frame, ATTR_TOP, frameTop));
    note(st, SetCtrlAttribute(r->panel, r->frame, ATTR_WIDTH, stringWidth + h));
    note(st, SetCtrlAttribute(r->panel, r->frame, ATTR_HEIGHT, h + 2));
    return st;
}

int relayout(ComboRecord *r)
{
    return layout(r, getInt(r->panel, r->frame, ATTR_LEFT), getInt(r->panel, r->frame, ATTR_TOP),
                  getInt(r->panel, r->string, ATTR_WIDTH));
}

// Record form of the string control's maximum entry length.
void readMaxLength(ComboRecord *r)
{
    const int max = getInt(r->panel, r->string, ATTR_MAX_ENTRY_LENGTH);
    r->maxLength = max < 0 ? -1 : max + 1;
}

int callUser(ComboRecord *r, int event, int d1, int d2)
{
    if (!r->userCallback || r->discarded)
        return 0;
    return r->userCallback(r->panel, r->string, event, r->userCallbackData, d1, d2);
}

// Value of list item i, or null when it cannot be read.
std::unique_ptr<char[]> itemValue(ComboRecord *r, int index, int *length)
{
    int len = 0;
    if (GetValueLengthFromIndex(r->panel, r->ring, index, &len) < 0 || len < 0)
        return nullptr;
    std::unique_ptr<char[]> buf(new (std::nothrow) char[static_cast<size_t>(len) + 1]);
    if (!buf || GetValueFromIndex(r->panel, r->ring, index, buf.get()) < 0)
        return nullptr;
    buf[static_cast<size_t>(len)] = '\0';
    *length = len;
    return buf;
}

// Longest text the entry field may hold, or -1 for no limit.
int textLimit(const ComboRecord *r) { return r->maxLength == -1 ? -1 : std::max(0, r->maxLength - 1); }

bool startsWithNoCase(const char *value, const char *typed, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        const unsigned char a = static_cast<unsigned char>(value[i]);
        const unsigned char b = static_cast<unsigned char>(typed[i]);
        const unsigned char la = a >= 'A' && a <= 'Z' ? static_cast<unsigned char>(a + 32) : a;
        const unsigned char lb = b >= 'A' && b <= 'Z' ? static_cast<unsigned char>(b + 32) : b;
        if (la != lb)
            return false;
    }
    return true;
}

// Completes the typed text from the first list value that begins with it
// (without regard to case) and is longer than one character. The typed part
// keeps the user's case; the appended rest is selected so that typing on
// replaces it. An empty field is left empty.
void complete(ComboRecord *r)
{
    std::unique_ptr<char[]> text(new (std::nothrow) char[kMaxTextBytes + 1]);
    if (!text || GetCtrlVal(r->panel, r->string, text.get(), kMaxTextBytes + 1) < 0)
        return;
    const size_t n = std::strlen(text.get());
    if (n == 0)
        return;
    int count = 0;
    GetNumListItems(r->panel, r->ring, &count);
    for (int i = 0; i < count; ++i) {
        int len = 0;
        std::unique_ptr<char[]> value = itemValue(r, i, &len);
        if (!value || len <= 1 || static_cast<size_t>(len) < n || !startsWithNoCase(value.get(), text.get(), n))
            continue;
        size_t add = static_cast<size_t>(len) - n;
        const int limit = textLimit(r);
        if (limit >= 0)
            add = std::min(add, static_cast<size_t>(limit) > n ? static_cast<size_t>(limit) - n : 0);
        std::memcpy(text.get() + n, value.get() + n, add);
        text[n + add] = '\0';
        SetCtrlVal(r->panel, r->string, text.get());
        SetCtrlAttribute(r->panel, r->string, ATTR_TEXT_SELECTION_START, static_cast<int>(n));
        SetCtrlAttribute(r->panel, r->string, ATTR_TEXT_SELECTION_LENGTH, static_cast<int>(add));
        return;
    }
}

bool operable(int panel, int control)
{
    return getInt(panel, control, ATTR_VISIBLE) != 0 && getInt(panel, control, ATTR_DIMMED) == 0 &&
           getInt(panel, control, ATTR_CTRL_MODE) != VAL_INDICATOR;
}

// The nearest operable control before the ring in tab order; from the first
// position it wraps to the last. 0 when there is none.
int controlBefore(ComboRecord *r)
{
    const int ringPos = getInt(r->panel, r->ring, ATTR_CTRL_TAB_POSITION);
    int before = 0, beforePos = 0, last = 0, lastPos = 0;
    int highest = std::max({r->ring, r->string, r->frame}) + kProbeSlack;
    for (int id = 1; id <= highest; ++id) {
        int kind = 0;
        if (GetCtrlAttribute(r->panel, id, ATTR_CTRL_STYLE, &kind) < 0)
            continue;
        highest = std::max(highest, id + kProbeSlack);
        if (id == r->ring || id == r->string || id == r->frame)
            continue;
        // These kinds never take the keyboard focus.
        if (kind == CTRL_DECORATION || kind == CTRL_TEXT_MSG || kind == CTRL_PICTURE)
            continue;
        if (!operable(r->panel, id))
            continue;
        const int pos = getInt(r->panel, id, ATTR_CTRL_TAB_POSITION);
        if (pos < ringPos && (before == 0 || pos >= beforePos)) {
            before = id;
            beforePos = pos;
        }
        if (last == 0 || pos >= lastPos) {
            last = id;
            lastPos = pos;
        }
    }
    return before != 0 ? before : last;
}

// Handles a key in the entry field; returns non-zero when the key is used up.
int handleKey(ComboRecord *r, int key)
{
    const int base = key & 0xFFFF;
    autoCompletion = base == VAL_BACKSPACE_VKEY || base == VAL_ESC_VKEY ? 0 : 1;
    if (base == VAL_DOWN_ARROW_VKEY || base == VAL_UP_ARROW_VKEY) {
        r->listOpened = 1;
        SetActiveCtrl(r->panel, r->ring);
        FakeKeystroke(' ');
        return 1;
    }
    if (key == (VAL_TAB_VKEY | VAL_SHIFT_MODIFIER)) {
        if (const int target = controlBefore(r))
            SetActiveCtrl(r->panel, target);
        return 1;
    }
    return 0;
}

int stringCallback(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)
{
    ComboRecord *r = liveRecord(callbackData);
    if (!r || r->panel != panel || r->string != control)
        return 0;
    RecordUse use(r);
    int result = 0;
    if (event == EVENT_VAL_CHANGED && autoCompletion)
        complete(r);
    else if (event == EVENT_KEYPRESS)
        result = handleKey(r, eventData1);
    return result | callUser(r, event, eventData1, eventData2);
}

// Puts the picked item's value into the entry field, cut to the field's limit.
void copyPicked(ComboRecord *r)
{
    int index = -1;
    if (GetCtrlIndex(r->panel, r->ring, &index) < 0 || index < 0)
        return;
    int len = 0;
    std::unique_ptr<char[]> value = itemValue(r, index, &len);
    if (!value)
        return;
    const int limit = textLimit(r);
    if (limit >= 0 && len > limit)
        value[static_cast<size_t>(limit)] = '\0';
    SetCtrlVal(r->panel, r->string, value.get());
}

int ringCallback(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)
{
    ComboRecord *r = liveRecord(callbackData);
    if (!r || r->panel != panel || r->ring != control)
        return 0;
    RecordUse use(r);
    switch (event) {
    case EVENT_COMMIT:
        copyPicked(r);
        callUser(r, EVENT_COMMIT, eventData1, eventData2);
        break;
    case EVENT_VAL_CHANGED:
        SetActiveCtrl(panel, r->string);
        callUser(r, EVENT_VAL_CHANGED, eventData1, eventData2);
        break;
    case EVENT_GOT_FOCUS:
        if (!r->listOpened)
            SetActiveCtrl(panel, r->string);
        r->listOpened = 0;
        break;
    default: break;
    }
    return 0;
}

void discardParts(int panel, int ring, int frame)
{
    if (ring > 0)
        DiscardCtrl(panel, ring);
    if (frame > 0)
        DiscardCtrl(panel, frame);
}

// Sets a font attribute on the entry field and the ring, then rebuilds the geometry.
template <typename T>
int setFontAttribute(ComboRecord *r, int attribute, T value)
{
    const int oldHeight = getInt(r->panel, r->string, ATTR_HEIGHT);
    const int oldPoints = getInt(r->panel, r->string, ATTR_TEXT_POINT_SIZE);
    int st = SetCtrlAttribute(r->panel, r->string, attribute, value);
    if (st < 0)
        return st;
    note(st, SetCtrlAttribute(r->panel, r->ring, attribute, value));
    // Where the entry field keeps its height over a change of point size,
    // scale the height with the point size so that the text still fits.
    const int newPoints = getInt(r->panel, r->string, ATTR_TEXT_POINT_SIZE);
    if (attribute == ATTR_TEXT_POINT_SIZE && oldPoints > 0 && newPoints != oldPoints &&
        getInt(r->panel, r->string, ATTR_HEIGHT) == oldHeight) {
        const long scaled = (static_cast<long>(oldHeight) * newPoints + oldPoints / 2) / oldPoints;
        note(st, SetCtrlAttribute(r->panel, r->string, ATTR_HEIGHT, static_cast<int>(std::max(1L, scaled))));
    }
    note(st, relayout(r));
    return st;
}

struct PendingCommit {
    int panel;
    int control;
};

} // namespace

int Combo_NewComboBox(int panel, int control)
{
    int style = 0;
    const int st = GetCtrlAttribute(panel, control, ATTR_CTRL_STYLE, &style);
    if (st < 0)
        return st;
    if (style != CTRL_STRING || recordOf(panel, control))
        return COMBO_ERR_NOT_COMBO_BOX;

    auto *r = new (std::nothrow) ComboRecord {};
    if (!r)
        return UIEOutOfMemory;
    r->panel = panel;
    r->string = control;
    GetCtrlAttribute(panel, control, ATTR_CALLBACK_FUNCTION_POINTER, &r->userCallback);
    GetCtrlAttribute(panel, control, ATTR_CALLBACK_DATA, &r->userCallbackData);
    if (const int e = NewLock(&r->lock); e < 0) {
        delete r;
        return e;
    }

    const int left = getInt(panel, control, ATTR_LEFT);
    const int top = getInt(panel, control, ATTR_TOP);
    const int height = getInt(panel, control, ATTR_HEIGHT);
    // The ring goes directly left of the entry field; near the panel's edge
    // the entry field moves right to make room for it.
    const int frameLeft = std::max(0, left - height);
    const int frameTop = std::max(0, top - 1);

    r->frame = NewCtrl(panel, CTRL_DECORATION, "", frameTop, frameLeft);
    r->ring = r->frame > 0 ? NewCtrl(panel, CTRL_RING, "", frameTop + 1, frameLeft + 1) : 0;
    if (r->frame < 0 || r->ring < 0) {
        const int e = r->frame < 0 ? r->frame : r->ring;
        discardParts(panel, r->ring, r->frame);
        DiscardLock(r->lock);
        delete r;
        return e;
    }
    try {
        liveRecords().insert(r);
    } catch (const std::bad_alloc &) {
        discardParts(panel, r->ring, r->frame);
        DiscardLock(r->lock);
        delete r;
        return UIEOutOfMemory;
    }
    r->tag = kComboTag;
    readMaxLength(r);

    // Ring and frame look like the entry field: its colour, its text, its tab position.
    const int color = getInt(panel, control, ATTR_TEXT_BGCOLOR);
    SetCtrlAttribute(panel, r->ring, ATTR_TEXT_BGCOLOR, color);
    SetCtrlAttribute(panel, r->frame, ATTR_TEXT_BGCOLOR, color);
    SetCtrlAttribute(panel, r->ring, ATTR_TEXT_POINT_SIZE, getInt(panel, control, ATTR_TEXT_POINT_SIZE));
    SetCtrlAttribute(panel, r->ring, ATTR_CTRL_TAB_POSITION, getInt(panel, control, ATTR_CTRL_TAB_POSITION));
    SetCtrlAttribute(panel, r->frame, ATTR_ZPLANE_POSITION, kFrameZPlane);
    SetCtrlAttribute(panel, r->ring, ATTR_VISIBLE, getInt(panel, control, ATTR_VISIBLE));
    SetCtrlAttribute(panel, r->frame, ATTR_VISIBLE, getInt(panel, control, ATTR_VISIBLE));
    SetCtrlAttribute(panel, r->ring, ATTR_DIMMED, getInt(panel, control, ATTR_DIMMED));
    SetCtrlAttribute(panel, r->frame, ATTR_DIMMED, getInt(panel, control, ATTR_DIMMED));
    layout(r, frameLeft, frameTop, getInt(panel, control, ATTR_WIDTH));

    InstallCtrlCallback(panel, r->ring, ringCallback, r);
    InstallCtrlCallback(panel, control, stringCallback, r);
    return control;
}

int Combo_DiscardComboBox(int panel, int control)
{
    ComboRecord *r = recordOf(panel, control);
    if (!r)
        return COMBO_ERR_NOT_COMBO_BOX;
    RecordUse use(r);
    int st = 0;
    note(st, DiscardCtrl(panel, r->ring));
    note(st, DiscardCtrl(panel, r->frame));
    note(st, DiscardCtrl(panel, r->string));
    liveRecords().erase(r);
    r->tag = 0;
    r->discarded = 1; // the lock and the record go when the last use ends
    return st;
}

int Combo_InsertComboItem(int panel, int control, int index, const char *text)
{
    ComboRecord *r = recordOf(panel, control);
    if (!r)
        return COMBO_ERR_NOT_COMBO_BOX;
    RecordUse use(r);
    return InsertListItem(panel, r->ring, index, text, text);
}

int Combo_DeleteComboItem(int panel, int control, int index, int count)
{
    ComboRecord *r = recordOf(panel, control);
    if (!r)
        return COMBO_ERR_NOT_COMBO_BOX;
    RecordUse use(r);
    return DeleteListItem(panel, r->ring, index, count);
}

int Combo_ReplaceComboItem(int panel, int control, int index, const char *text)
{
    ComboRecord *r = recordOf(panel, control);
    if (!r)
        return COMBO_ERR_NOT_COMBO_BOX;
    RecordUse use(r);
    return ReplaceListItem(panel, r->ring, index, text, text);
}

int Combo_GetIndexFromValue(int panel, int control, int *index, const char *text)
{
    ComboRecord *r = recordOf(panel, control);
    if (!r)
        return COMBO_ERR_NOT_COMBO_BOX;
    if (!index)
        return UIEValueInvalid;
    RecordUse use(r);
    return GetIndexFromValue(panel, r->ring, index, text);
}

int Combo_GetNumComboItems(int panel, int control, int *count)
{
    ComboRecord *r = recordOf(panel, control);
    if (!r)
        return COMBO_ERR_NOT_COMBO_BOX;
    if (!count)
        return UIEValueInvalid;
    RecordUse use(r);
    return GetNumListItems(panel, r->ring, count);
}

int Combo_GetComboItemValue(int panel, int control, int index, char *value, int bufSize)
{
    ComboRecord *r = recordOf(panel, control);
    if (!r)
        return COMBO_ERR_NOT_COMBO_BOX;
    if (!value || bufSize <= 0)
        return UIEValueInvalid;
    RecordUse use(r);
    int len = 0;
    int count = 0;
    GetNumListItems(panel, r->ring, &count);
    if (index < 0 || index >= count)
        return UIEIndexOutOfRange;
    std::unique_ptr<char[]> item = itemValue(r, index, &len);
    if (!item)
        return UIEOutOfMemory;
    const size_t n = std::min(static_cast<size_t>(len), static_cast<size_t>(bufSize) - 1);
    std::memcpy(value, item.get(), n);
    value[n] = '\0';
    return 0;
}

int Combo_SetComboAttribute(int panel, int control, int attribute, int value)
{
    ComboRecord *r = recordOf(panel, control);
    if (!r)
        return COMBO_ERR_NOT_COMBO_BOX;
    RecordUse use(r);
    int st = 0;
    switch (attribute) {
    case COMBO_ATTR_WIDTH:
        return layout(r, getInt(panel, r->frame, ATTR_LEFT), getInt(panel, r->frame, ATTR_TOP),
                      value - getInt(panel, r->ring, ATTR_WIDTH));
    case COMBO_ATTR_TEXT_COLOR: return SetCtrlAttribute(panel, r->string, ATTR_TEXT_COLOR, value);
    case COMBO_ATTR_COLOR:
        note(st, SetCtrlAttribute(panel, r->string, ATTR_TEXT_BGCOLOR, value));
        note(st, SetCtrlAttribute(panel, r->ring, ATTR_TEXT_BGCOLOR, value));
        note(st, SetCtrlAttribute(panel, r->frame, ATTR_TEXT_BGCOLOR, value));
        return st;
    case COMBO_ATTR_TEXT_POINT_SIZE: return setFontAttribute(r, ATTR_TEXT_POINT_SIZE, value);
    case COMBO_ATTR_TEXT_BOLD:
    case COMBO_ATTR_TEXT_ITALIC: {
        const int a = attribute == COMBO_ATTR_TEXT_BOLD ? ATTR_TEXT_BOLD : ATTR_TEXT_ITALIC;
        note(st, SetCtrlAttribute(panel, r->ring, a, value));
        note(st, SetCtrlAttribute(panel, r->string, a, value));
        return st;
    }
    case COMBO_ATTR_LEFT:
        return layout(r, value, getInt(panel, r->frame, ATTR_TOP), getInt(panel, r->string, ATTR_WIDTH));
    case COMBO_ATTR_TOP:
        return layout(r, getInt(panel, r->frame, ATTR_LEFT), value, getInt(panel, r->string, ATTR_WIDTH));
    case COMBO_ATTR_VISIBLE:
    case COMBO_ATTR_DIMMED: {
        const int a = attribute == COMBO_ATTR_VISIBLE ? ATTR_VISIBLE : ATTR_DIMMED;
        note(st, SetCtrlAttribute(panel, r->string, a, value));
        note(st, SetCtrlAttribute(panel, r->ring, a, value));
        note(st, SetCtrlAttribute(panel, r->frame, a, value));
        return st;
    }
    case COMBO_ATTR_MAX_ENTRY_LENGTH:
        // Any negative length means no limit, as in the entry field itself.
        st = SetCtrlAttribute(panel, r->string, ATTR_MAX_ENTRY_LENGTH, value < 0 ? -1 : value);
        readMaxLength(r);
        return st;
    default: // height, the selection start, the font name and unknown codes
        return COMBO_ERR_UNKNOWN_ATTRIBUTE;
    }
}

int Combo_SetComboAttribute(int panel, int control, int attribute, const char *value)
{
    ComboRecord *r = recordOf(panel, control);
    if (!r)
        return COMBO_ERR_NOT_COMBO_BOX;
    if (attribute != COMBO_ATTR_TEXT_FONT)
        return COMBO_ERR_UNKNOWN_ATTRIBUTE;
    if (!value)
        return UIEValueInvalid;
    RecordUse use(r);
    return setFontAttribute(r, ATTR_TEXT_FONT, value);
}

int Combo_GetComboAttribute(int panel, int control, int attribute, int *value)
{
    ComboRecord *r = recordOf(panel, control);
    if (!r)
        return COMBO_ERR_NOT_COMBO_BOX;
    if (!value)
        return UIEValueInvalid;
    RecordUse use(r);
    switch (attribute) {
    case COMBO_ATTR_HEIGHT: return GetCtrlAttribute(panel, r->frame, ATTR_HEIGHT, value);
    case COMBO_ATTR_WIDTH: return GetCtrlAttribute(panel, r->frame, ATTR_WIDTH, value);
    case COMBO_ATTR_TEXT_COLOR: return GetCtrlAttribute(panel, r->string, ATTR_TEXT_COLOR, value);
    case COMBO_ATTR_COLOR: return GetCtrlAttribute(panel, r->string, ATTR_TEXT_BGCOLOR, value);
    case COMBO_ATTR_TEXT_POINT_SIZE: return GetCtrlAttribute(panel, r->string, ATTR_TEXT_POINT_SIZE, value);
    case COMBO_ATTR_TEXT_SELECTION_START: return GetCtrlAttribute(panel, r->string, ATTR_TEXT_SELECTION_START, value);
    case COMBO_ATTR_TEXT_BOLD: return GetCtrlAttribute(panel, r->string, ATTR_TEXT_BOLD, value);
    case COMBO_ATTR_TEXT_ITALIC: return GetCtrlAttribute(panel, r->string, ATTR_TEXT_ITALIC, value);
    case COMBO_ATTR_LEFT: return GetCtrlAttribute(panel, r->frame, ATTR_LEFT, value);
    case COMBO_ATTR_TOP: return GetCtrlAttribute(panel, r->frame, ATTR_TOP, value);
    case COMBO_ATTR_VISIBLE: return GetCtrlAttribute(panel, r->frame, ATTR_VISIBLE, value);
    case COMBO_ATTR_DIMMED: return GetCtrlAttribute(panel, r->frame, ATTR_DIMMED, value);
    case COMBO_ATTR_MAX_ENTRY_LENGTH: return GetCtrlAttribute(panel, r->string, ATTR_MAX_ENTRY_LENGTH, value);
    default: return COMBO_ERR_UNKNOWN_ATTRIBUTE;
    }
}

int Combo_GetComboAttribute(int panel, int control, int attribute, char *value)
{
    ComboRecord *r = recordOf(panel, control);
    if (!r)
        return COMBO_ERR_NOT_COMBO_BOX;
    if (attribute != COMBO_ATTR_TEXT_FONT)
        return COMBO_ERR_UNKNOWN_ATTRIBUTE;
    if (!value)
        return UIEValueInvalid;
    RecordUse use(r);
    return GetCtrlAttribute(panel, r->string, ATTR_TEXT_FONT, value);
}

int SendValChangedEvent(int panel, int control)
{
    ComboRecord *r = recordOf(panel, control);
    if (!r)
        return COMBO_ERR_NOT_COMBO_BOX;
    RecordUse use(r);
    callUser(r, EVENT_VAL_CHANGED, 0, 0);
    if (r->discarded)
        return 0;
    // The deferred call finds the combo box again by panel and control, so a
    // combo box discarded in between is never touched.
    auto *pending = new (std::nothrow) PendingCommit {panel, control};
    if (!pending)
        return UIEOutOfMemory;
    const int st = PostDeferredCallToThread(SendCommitEvent, pending, GetCurrentThreadID());
    if (st < 0)
        delete pending;
    return st;
}

void SendCommitEvent(void *callbackData)
{
    std::unique_ptr<PendingCommit> pending(static_cast<PendingCommit *>(callbackData));
    if (!pending)
        return;
    ComboRecord *r = recordOf(pending->panel, pending->control);
    if (!r)
        return;
    RecordUse use(r);
    callUser(r, EVENT_COMMIT, 0, 0);
}
