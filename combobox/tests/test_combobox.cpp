// The combo box on a panel of its own, driven by real key events.
#include "ComboTest.h"
#include "combobox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Event {
    int control;
    int event;
    int d1;
};
std::vector<Event> g_events;
int g_swallowKey = 0;      // key the user callback consumes (returns 1 for)
bool g_discardOnCommit = false;
int g_panel = 0;

int countEvents(int event)
{
    int n = 0;
    for (const Event &e : g_events)
        n += e.event == event;
    return n;
}

// Identifiers of the controls that exist on the panel now.
std::vector<int> controlIds(int panel)
{
    std::vector<int> ids;
    for (int id = 1; id < 200; ++id) {
        int kind = 0;
        if (GetCtrlAttribute(panel, id, ATTR_CTRL_STYLE, &kind) == 0)
            ids.push_back(id);
    }
    return ids;
}

std::string text(int panel, int control)
{
    char buf[256];
    GetCtrlVal(panel, control, buf, sizeof buf);
    return buf;
}

int attr(int panel, int control, int attribute)
{
    int v = -12345;
    GetCtrlAttribute(panel, control, attribute, &v);
    return v;
}

void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// Types a line of text into the focused control, one key event per character.
void type(const char *s)
{
    for (; *s; ++s)
        ASSERT_EQ(FakeKeystroke(static_cast<unsigned char>(*s)), 0);
}

// A key the run-time has no code for, sent as a real key event to the focus widget.
void pressRaw(Qt::Key key)
{
    QWidget *w = QApplication::focusWidget();
    ASSERT_NE(w, nullptr);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

class Combo : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(InitRuntime(0, nullptr), 0);
        RegisterComboTestCallbacks();
    }
    void SetUp() override
    {
        g_events.clear();
        g_swallowKey = 0;
        g_discardOnCommit = false;
        panel = LoadPanel(0, COMBO_TEST_PANEL, C);
        ASSERT_GT(panel, 0);
        g_panel = panel;
        DisplayPanel(panel);
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->isVisible() && top->objectName() == "C")
                window = top;
        ASSERT_NE(window, nullptr);
        window->activateWindow();
        settle();
        ASSERT_EQ(Combo_NewComboBox(panel, C_STRINGIP), C_STRINGIP);
        auto *r = record();
        ring = r->ring;
        frame = r->frame;
    }
    void TearDown() override
    {
        Combo_DiscardComboBox(panel, C_STRINGIP);
        DiscardPanel(panel);
        settle();
    }
    ComboRecord *record() const
    {
        void *data = nullptr;
        GetCtrlAttribute(panel, C_STRINGIP, ATTR_CALLBACK_DATA, &data);
        return static_cast<ComboRecord *>(data);
    }
    QComboBox *ringWidget() const
    {
        auto *w = window->findChild<QComboBox *>(QString::fromStdString(CtrlName(panel, ring)));
        return w;
    }
    void focusEntry()
    {
        ASSERT_EQ(SetActiveCtrl(panel, C_STRINGIP), 0);
        settle();
        ASSERT_EQ(GetActiveCtrl(panel), C_STRINGIP);
    }
    int panel = 0;
    int ring = 0;
    int frame = 0;
    QWidget *window = nullptr;
};

} // namespace

int CBF_StringIp(int panel, int control, int event, void *, int eventData1, int)
{
    g_events.push_back({control, event, eventData1});
    if (event == EVENT_COMMIT && g_discardOnCommit)
        Combo_DiscardComboBox(panel, control);
    return event == EVENT_KEYPRESS && eventData1 == g_swallowKey ? 1 : 0;
}

TEST_F(Combo, CreationBuildsRecordRingAndFrameOnlyOnce)
{
    ComboRecord *r = record();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->tag, kComboTag);
    EXPECT_EQ(r->panel, panel);
    EXPECT_EQ(r->string, C_STRINGIP);
    EXPECT_EQ(r->userCallback, &CBF_StringIp);
    EXPECT_EQ(r->maxLength, -1);
    EXPECT_EQ(attr(panel, ring, ATTR_CTRL_STYLE), CTRL_RING);
    EXPECT_EQ(attr(panel, frame, ATTR_CTRL_STYLE), CTRL_DECORATION);
    EXPECT_EQ(attr(panel, ring, ATTR_CTRL_TAB_POSITION), attr(panel, C_STRINGIP, ATTR_CTRL_TAB_POSITION));

    // The ring is a square as high as the entry field, directly left of it; the frame holds both.
    const int h = attr(panel, C_STRINGIP, ATTR_HEIGHT);
    EXPECT_EQ(attr(panel, C_STRINGIP, ATTR_LEFT), 60);
    EXPECT_EQ(attr(panel, C_STRINGIP, ATTR_WIDTH), 160);
    EXPECT_EQ(attr(panel, ring, ATTR_WIDTH), h);
    EXPECT_EQ(attr(panel, ring, ATTR_HEIGHT), h);
    EXPECT_EQ(attr(panel, ring, ATTR_LEFT), 60 - h + 1);
    EXPECT_EQ(attr(panel, frame, ATTR_LEFT), 60 - h);
    EXPECT_EQ(attr(panel, frame, ATTR_TOP), 59);
    EXPECT_EQ(attr(panel, frame, ATTR_HEIGHT), h + 2);
    EXPECT_EQ(attr(panel, frame, ATTR_WIDTH), 160 + h);

    // Again on the same control, and on controls that are no string controls: -45, nothing created.
    const std::vector<int> before = controlIds(panel);
    EXPECT_EQ(Combo_NewComboBox(panel, C_STRINGIP), COMBO_ERR_NOT_COMBO_BOX);
    EXPECT_EQ(Combo_NewComboBox(panel, C_EDITPORT), COMBO_ERR_NOT_COMBO_BOX);
    EXPECT_EQ(Combo_NewComboBox(panel, C_RINGPROTOCOL), COMBO_ERR_NOT_COMBO_BOX);
    EXPECT_EQ(Combo_NewComboBox(panel, ring), COMBO_ERR_NOT_COMBO_BOX);
    EXPECT_LT(Combo_NewComboBox(panel, 999), 0);
    EXPECT_EQ(controlIds(panel), before);
    EXPECT_EQ(record(), r);
}

TEST_F(Combo, OperationsOnOtherControlsAnswerNotAComboBox)
{
    int v = 0;
    char buf[64];
    for (int ctrl : {C_STRINGPLAIN, C_EDITPORT, ring, frame, 999}) {
        SCOPED_TRACE(ctrl);
        EXPECT_EQ(Combo_DiscardComboBox(panel, ctrl), COMBO_ERR_NOT_COMBO_BOX);
        EXPECT_EQ(Combo_InsertComboItem(panel, ctrl, -1, "x"), COMBO_ERR_NOT_COMBO_BOX);
        EXPECT_EQ(Combo_DeleteComboItem(panel, ctrl, 0, 1), COMBO_ERR_NOT_COMBO_BOX);
        EXPECT_EQ(Combo_ReplaceComboItem(panel, ctrl, 0, "x"), COMBO_ERR_NOT_COMBO_BOX);
        EXPECT_EQ(Combo_GetIndexFromValue(panel, ctrl, &v, "x"), COMBO_ERR_NOT_COMBO_BOX);
        EXPECT_EQ(Combo_SetComboAttribute(panel, ctrl, COMBO_ATTR_VISIBLE, 0), COMBO_ERR_NOT_COMBO_BOX);
        EXPECT_EQ(Combo_GetComboAttribute(panel, ctrl, COMBO_ATTR_VISIBLE, &v), COMBO_ERR_NOT_COMBO_BOX);
        EXPECT_EQ(Combo_GetComboAttribute(panel, ctrl, COMBO_ATTR_TEXT_FONT, buf), COMBO_ERR_NOT_COMBO_BOX);
        EXPECT_EQ(SendValChangedEvent(panel, ctrl), COMBO_ERR_NOT_COMBO_BOX);
    }
    // Foreign callback data that merely looks like a record is not taken for one.
    ComboRecord fake = *record();
    SetCtrlAttribute(panel, C_STRINGPLAIN, ATTR_CALLBACK_DATA, static_cast<void *>(&fake));
    fake.string = C_STRINGPLAIN;
    EXPECT_EQ(Combo_InsertComboItem(panel, C_STRINGPLAIN, -1, "x"), COMBO_ERR_NOT_COMBO_BOX);
    EXPECT_EQ(Combo_NewComboBox(panel, C_STRINGPLAIN), C_STRINGPLAIN); // a string without callback is fine
    EXPECT_EQ(Combo_DiscardComboBox(panel, C_STRINGPLAIN), 0);
}

TEST_F(Combo, AttributeCodes)
{
    int v = 0;
    char font[256];
    EXPECT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, 0, 1), COMBO_ERR_UNKNOWN_ATTRIBUTE);
    EXPECT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, 15, 1), COMBO_ERR_UNKNOWN_ATTRIBUTE);
    EXPECT_EQ(Combo_GetComboAttribute(panel, C_STRINGIP, 15, &v), COMBO_ERR_UNKNOWN_ATTRIBUTE);
    EXPECT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_HEIGHT, 40), COMBO_ERR_UNKNOWN_ATTRIBUTE);
    EXPECT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_TEXT_SELECTION_START, 0),
              COMBO_ERR_UNKNOWN_ATTRIBUTE);
    // The font name is text; integer codes take no text.
    EXPECT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_TEXT_FONT, 3), COMBO_ERR_UNKNOWN_ATTRIBUTE);
    EXPECT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_COLOR, "red"), COMBO_ERR_UNKNOWN_ATTRIBUTE);
    EXPECT_EQ(Combo_GetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_TEXT_FONT, &v), COMBO_ERR_UNKNOWN_ATTRIBUTE);
    EXPECT_EQ(Combo_GetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_WIDTH, font), COMBO_ERR_UNKNOWN_ATTRIBUTE);

    const int h = attr(panel, C_STRINGIP, ATTR_HEIGHT);
    ASSERT_EQ(Combo_GetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_HEIGHT, &v), 0);
    EXPECT_EQ(v, h + 2);

    // Colour: all three parts; read back from the entry field.
    ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_COLOR, 0xE0E0E0), 0);
    for (int c : {C_STRINGIP, ring, frame})
        EXPECT_EQ(attr(panel, c, ATTR_TEXT_BGCOLOR), 0xE0E0E0) << c;
    ASSERT_EQ(Combo_GetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_COLOR, &v), 0);
    EXPECT_EQ(v, 0xE0E0E0);

    ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_TEXT_BOLD, 1), 0);
    EXPECT_EQ(attr(panel, ring, ATTR_TEXT_BOLD), 1);
    ASSERT_EQ(Combo_GetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_TEXT_BOLD, &v), 0);
    EXPECT_EQ(v, 1);

    // Width, left and top move the parts together.
    ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_WIDTH, 200), 0);
    EXPECT_EQ(attr(panel, frame, ATTR_WIDTH), 200);
    EXPECT_EQ(attr(panel, C_STRINGIP, ATTR_WIDTH), 200 - attr(panel, ring, ATTR_WIDTH));
    ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_LEFT, 100), 0);
    ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_TOP, 30), 0);
    EXPECT_EQ(attr(panel, frame, ATTR_LEFT), 100);
    EXPECT_EQ(attr(panel, ring, ATTR_LEFT), 101);
    EXPECT_EQ(attr(panel, C_STRINGIP, ATTR_LEFT), 100 + h);
    EXPECT_EQ(attr(panel, frame, ATTR_TOP), 30);
    EXPECT_EQ(attr(panel, ring, ATTR_TOP), 31);
    EXPECT_EQ(attr(panel, C_STRINGIP, ATTR_TOP), 31);
    ASSERT_EQ(Combo_GetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_LEFT, &v), 0);
    EXPECT_EQ(v, 100);
    ASSERT_EQ(Combo_GetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_WIDTH, &v), 0);
    EXPECT_EQ(v, 200);

    // Maximum entry length: the record keeps length + 1; any negative value means no limit.
    ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_MAX_ENTRY_LENGTH, 15), 0);
    EXPECT_EQ(record()->maxLength, 16);
    ASSERT_EQ(Combo_GetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_MAX_ENTRY_LENGTH, &v), 0);
    EXPECT_EQ(v, 15);
    ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_MAX_ENTRY_LENGTH, -5), 0);
    EXPECT_EQ(record()->maxLength, -1);
}

TEST_F(Combo, FontChangesRebuildTheGeometry)
{
    const int oldHeight = attr(panel, C_STRINGIP, ATTR_HEIGHT);
    const int points = attr(panel, C_STRINGIP, ATTR_TEXT_POINT_SIZE);
    ASSERT_GT(points, 0);
    ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_TEXT_POINT_SIZE, points * 2), 0);
    EXPECT_EQ(attr(panel, ring, ATTR_TEXT_POINT_SIZE), points * 2);

    auto checkLayout = [&] {
        const int h = attr(panel, C_STRINGIP, ATTR_HEIGHT);
        EXPECT_EQ(attr(panel, ring, ATTR_WIDTH), h);
        EXPECT_EQ(attr(panel, ring, ATTR_HEIGHT), h);
        EXPECT_EQ(attr(panel, frame, ATTR_HEIGHT), h + 2);
        EXPECT_EQ(attr(panel, frame, ATTR_WIDTH), attr(panel, C_STRINGIP, ATTR_WIDTH) + h);
        EXPECT_EQ(attr(panel, C_STRINGIP, ATTR_LEFT), attr(panel, frame, ATTR_LEFT) + h);
        EXPECT_EQ(attr(panel, ring, ATTR_LEFT), attr(panel, frame, ATTR_LEFT) + 1);
        return h;
    };
    const int bigger = checkLayout();
    EXPECT_GT(bigger, oldHeight);
    int v = 0;
    ASSERT_EQ(Combo_GetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_HEIGHT, &v), 0);
    EXPECT_EQ(v, bigger + 2);

    // Back to the old size, and a font name: the layout follows again.
    ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_TEXT_POINT_SIZE, points), 0);
    EXPECT_EQ(checkLayout(), oldHeight);
    ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_TEXT_FONT, "Monospace"), 0);
    char font[256];
    ASSERT_EQ(Combo_GetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_TEXT_FONT, font), 0);
    EXPECT_STREQ(font, "Monospace");
    checkLayout();
}

TEST_F(Combo, VisibleAndDimmedReachAllThreeParts)
{
    int v = -1;
    ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_VISIBLE, 0), 0);
    for (int c : {C_STRINGIP, ring, frame})
        EXPECT_EQ(attr(panel, c, ATTR_VISIBLE), 0) << c;
    ASSERT_EQ(Combo_GetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_VISIBLE, &v), 0);
    EXPECT_EQ(v, 0);
    ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_VISIBLE, 1), 0);
    for (int c : {C_STRINGIP, ring, frame})
        EXPECT_EQ(attr(panel, c, ATTR_VISIBLE), 1) << c;

    ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_DIMMED, 1), 0);
    for (int c : {C_STRINGIP, ring, frame})
        EXPECT_EQ(attr(panel, c, ATTR_DIMMED), 1) << c;
    ASSERT_EQ(Combo_GetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_DIMMED, &v), 0);
    EXPECT_EQ(v, 1);
    ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_DIMMED, 0), 0);
    for (int c : {C_STRINGIP, ring, frame})
        EXPECT_EQ(attr(panel, c, ATTR_DIMMED), 0) << c;
}

TEST_F(Combo, ListItems)
{
    int index = 0, count = 0;
    char value[64];
    EXPECT_EQ(Combo_InsertComboItem(panel, C_STRINGIP, -1, "10.0.0.2"), 0);
    EXPECT_EQ(Combo_InsertComboItem(panel, C_STRINGIP, -1, "10.0.0.3"), 1);
    EXPECT_EQ(Combo_InsertComboItem(panel, C_STRINGIP, 0, "10.0.0.1"), 0);
    ASSERT_EQ(Combo_GetNumComboItems(panel, C_STRINGIP, &count), 0);
    EXPECT_EQ(count, 3);
    ASSERT_EQ(Combo_GetIndexFromValue(panel, C_STRINGIP, &index, "10.0.0.3"), 0);
    EXPECT_EQ(index, 2);
    ASSERT_EQ(Combo_GetIndexFromValue(panel, C_STRINGIP, &index, "10.0.0.9"), 0);
    EXPECT_LT(index, 0);

    ASSERT_EQ(Combo_ReplaceComboItem(panel, C_STRINGIP, 1, "192.168.0.1"), 0);
    ASSERT_EQ(Combo_GetComboItemValue(panel, C_STRINGIP, 1, value, sizeof value), 0);
    EXPECT_STREQ(value, "192.168.0.1");
    ASSERT_EQ(Combo_GetComboItemValue(panel, C_STRINGIP, 1, value, 4), 0); // bounded
    EXPECT_STREQ(value, "192");
    EXPECT_LT(Combo_ReplaceComboItem(panel, C_STRINGIP, 3, "x"), 0);
    EXPECT_LT(Combo_GetComboItemValue(panel, C_STRINGIP, 3, value, sizeof value), 0);

    ASSERT_EQ(Combo_DeleteComboItem(panel, C_STRINGIP, 0, 1), 0);
    ASSERT_EQ(Combo_GetComboItemValue(panel, C_STRINGIP, 0, value, sizeof value), 0);
    EXPECT_STREQ(value, "192.168.0.1");
    EXPECT_LT(Combo_DeleteComboItem(panel, C_STRINGIP, 5, 1), 0);

    // Trimming a history: count -1 deletes to the end.
    for (int i = 0; i < 12; ++i)
        Combo_InsertComboItem(panel, C_STRINGIP, 0, ("10.1.1." + std::to_string(i)).c_str());
    ASSERT_EQ(Combo_DeleteComboItem(panel, C_STRINGIP, 10, -1), 0);
    ASSERT_EQ(Combo_GetNumComboItems(panel, C_STRINGIP, &count), 0);
    EXPECT_EQ(count, 10);
    ASSERT_EQ(Combo_GetComboItemValue(panel, C_STRINGIP, 9, value, sizeof value), 0);
    EXPECT_STREQ(value, "10.1.1.2");
}

TEST_F(Combo, CompletionFromTheList)
{
    Combo_InsertComboItem(panel, C_STRINGIP, -1, "Abcd");
    focusEntry();
    type("a");
    EXPECT_EQ(text(panel, C_STRINGIP), "abcd"); // the typed part keeps the user's case
    EXPECT_EQ(attr(panel, C_STRINGIP, ATTR_TEXT_SELECTION_START), 1);
    EXPECT_EQ(attr(panel, C_STRINGIP, ATTR_TEXT_SELECTION_LENGTH), 3);
    type("B");
    EXPECT_EQ(text(panel, C_STRINGIP), "aBcd");
    EXPECT_EQ(attr(panel, C_STRINGIP, ATTR_TEXT_SELECTION_START), 2);
    EXPECT_EQ(attr(panel, C_STRINGIP, ATTR_TEXT_SELECTION_LENGTH), 2);

    // Backspace removes the selection and stops completion until another key.
    ASSERT_EQ(FakeKeystroke(VAL_BACKSPACE_VKEY), 0);
    EXPECT_EQ(text(panel, C_STRINGIP), "aB");
    ASSERT_EQ(FakeKeystroke(VAL_BACKSPACE_VKEY), 0);
    EXPECT_EQ(text(panel, C_STRINGIP), "a");
    EXPECT_EQ(attr(panel, C_STRINGIP, ATTR_TEXT_SELECTION_LENGTH), 0);
    type("b");
    EXPECT_EQ(text(panel, C_STRINGIP), "abcd");
    EXPECT_EQ(attr(panel, C_STRINGIP, ATTR_TEXT_SELECTION_LENGTH), 2);
    // Esc stops it too.
    ASSERT_EQ(FakeKeystroke(VAL_ESC_VKEY), 0);
    pressRaw(Qt::Key_Delete); // removes the selection without a key code of its own
    EXPECT_EQ(text(panel, C_STRINGIP), "ab");

    // No match: the text stays as typed.
    type("x");
    EXPECT_EQ(text(panel, C_STRINGIP), "abx");

    // Every event reached the user callback under the string control's identifier.
    EXPECT_EQ(countEvents(EVENT_KEYPRESS), 7);
    EXPECT_EQ(countEvents(EVENT_VAL_CHANGED), 7);
    for (const Event &e : g_events)
        EXPECT_EQ(e.control, C_STRINGIP);
}

TEST_F(Combo, CompletionSkipsOneCharacterValuesAndKeepsTheLimit)
{
    Combo_InsertComboItem(panel, C_STRINGIP, -1, "q");
    focusEntry();
    type("q");
    EXPECT_EQ(text(panel, C_STRINGIP), "q");
    EXPECT_EQ(attr(panel, C_STRINGIP, ATTR_TEXT_SELECTION_LENGTH), 0);

    Combo_InsertComboItem(panel, C_STRINGIP, -1, "QUIT");
    SetCtrlVal(panel, C_STRINGIP, "");
    type("q");
    EXPECT_EQ(text(panel, C_STRINGIP), "qUIT");

    // The completed text stays within the maximum entry length.
    ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_MAX_ENTRY_LENGTH, 3), 0);
    SetCtrlVal(panel, C_STRINGIP, "");
    type("q");
    EXPECT_EQ(text(panel, C_STRINGIP), "qUI");
    EXPECT_EQ(attr(panel, C_STRINGIP, ATTR_TEXT_SELECTION_LENGTH), 2);

    // Emptying the field with completion on leaves it empty.
    SetCtrlAttribute(panel, C_STRINGIP, ATTR_TEXT_SELECTION_START, 0);
    SetCtrlAttribute(panel, C_STRINGIP, ATTR_TEXT_SELECTION_LENGTH, 3);
    pressRaw(Qt::Key_Delete);
    EXPECT_EQ(text(panel, C_STRINGIP), "");
}

TEST_F(Combo, PickingAnItemCutsItToTheMaximumLength)
{
    ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_MAX_ENTRY_LENGTH, 5), 0);
    Combo_InsertComboItem(panel, C_STRINGIP, -1, "10.0.0.1");
    Combo_InsertComboItem(panel, C_STRINGIP, -1, "192.168.100.200");
    QComboBox *combo = ringWidget();
    ASSERT_NE(combo, nullptr);

    // The user picks the second item in the ring.
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    settle();
    EXPECT_EQ(text(panel, C_STRINGIP), "192.1");
    EXPECT_EQ(GetActiveCtrl(panel), C_STRINGIP);
    // The entry field got the focus, then the value-changed and commit events, all under its identifier.
    ASSERT_EQ(g_events.size(), 3u);
    EXPECT_EQ(g_events[0].event, EVENT_GOT_FOCUS);
    EXPECT_EQ(g_events[1].event, EVENT_VAL_CHANGED);
    EXPECT_EQ(g_events[2].event, EVENT_COMMIT);
    for (const Event &e : g_events)
        EXPECT_EQ(e.control, C_STRINGIP);

    // Unlimited: the whole value.
    ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_MAX_ENTRY_LENGTH, -1), 0);
    emit combo->activated(1);
    EXPECT_EQ(text(panel, C_STRINGIP), "192.168.100.200");
}

TEST_F(Combo, DownArrowOpensTheListAndEnterPicks)
{
    Combo_InsertComboItem(panel, C_STRINGIP, -1, "10.0.0.1");
    Combo_InsertComboItem(panel, C_STRINGIP, -1, "10.0.0.2");
    focusEntry();
    ASSERT_EQ(FakeKeystroke(VAL_DOWN_ARROW_VKEY), 0);
    settle();
    QComboBox *combo = ringWidget();
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->view()->isVisible());
    EXPECT_EQ(record()->listOpened, 0); // used up by the ring taking the focus
    EXPECT_EQ(countEvents(EVENT_KEYPRESS), 1);

    // In the open list: one down, Enter.
    ASSERT_EQ(FakeKeystroke(VAL_DOWN_ARROW_VKEY), 0);
    ASSERT_EQ(FakeKeystroke(VAL_ENTER_VKEY), 0);
    settle();
    EXPECT_FALSE(combo->view()->isVisible());
    EXPECT_EQ(text(panel, C_STRINGIP), "10.0.0.2");
    EXPECT_EQ(GetActiveCtrl(panel), C_STRINGIP);
    EXPECT_EQ(countEvents(EVENT_COMMIT), 1);
}

TEST_F(Combo, RingHandsTheFocusBackToTheEntryField)
{
    ASSERT_EQ(SetActiveCtrl(panel, ring), 0);
    settle();
    EXPECT_EQ(GetActiveCtrl(panel), C_STRINGIP);
}

TEST_F(Combo, ShiftTabGoesToTheOperableControlBeforeTheRing)
{
    focusEntry();
    const int backTab = VAL_TAB_VKEY | VAL_SHIFT_MODIFIER;
    ASSERT_EQ(FakeKeystroke(backTab), 0);
    settle();
    EXPECT_EQ(GetActiveCtrl(panel), C_BUTTONFIRST);

    // Nothing operable before it: wrap to the last position.
    SetCtrlAttribute(panel, C_BUTTONFIRST, ATTR_DIMMED, 1);
    focusEntry();
    ASSERT_EQ(FakeKeystroke(backTab), 0);
    settle();
    EXPECT_EQ(GetActiveCtrl(panel), C_BUTTONLAST);

    // Hidden and indicator controls are skipped as well.
    SetCtrlAttribute(panel, C_BUTTONLAST, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panel, C_RINGPROTOCOL, ATTR_CTRL_MODE, VAL_INDICATOR);
    focusEntry();
    ASSERT_EQ(FakeKeystroke(backTab), 0);
    settle();
    EXPECT_EQ(GetActiveCtrl(panel), C_STRINGPLAIN);
}

TEST_F(Combo, UserCallbackResultIsCombined)
{
    g_swallowKey = 'z';
    focusEntry();
    type("yzy");
    EXPECT_EQ(text(panel, C_STRINGIP), "yy");
}

TEST_F(Combo, DeferredCommitAfterValueChanged)
{
    ASSERT_EQ(SendValChangedEvent(panel, C_STRINGIP), 0);
    ASSERT_EQ(g_events.size(), 1u);
    EXPECT_EQ(g_events[0].event, EVENT_VAL_CHANGED);
    settle();
    ASSERT_EQ(g_events.size(), 2u);
    EXPECT_EQ(g_events[1].event, EVENT_COMMIT);
    EXPECT_EQ(g_events[1].control, C_STRINGIP);

    // Discarded before the commit is due: nothing more arrives.
    g_events.clear();
    ASSERT_EQ(SendValChangedEvent(panel, C_STRINGIP), 0);
    ASSERT_EQ(Combo_DiscardComboBox(panel, C_STRINGIP), 0);
    settle();
    EXPECT_EQ(g_events.size(), 1u);
}

TEST_F(Combo, DiscardFreesEverything)
{
    const std::vector<int> parts = {C_STRINGIP, ring, frame};
    ASSERT_EQ(Combo_DiscardComboBox(panel, C_STRINGIP), 0);
    for (int c : parts) {
        int kind = 0;
        EXPECT_LT(GetCtrlAttribute(panel, c, ATTR_CTRL_STYLE, &kind), 0) << c;
    }
    int v = 0;
    EXPECT_EQ(Combo_DiscardComboBox(panel, C_STRINGIP), COMBO_ERR_NOT_COMBO_BOX);
    EXPECT_EQ(Combo_GetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_HEIGHT, &v), COMBO_ERR_NOT_COMBO_BOX);
}

TEST_F(Combo, DiscardFromInsideTheUserCallback)
{
    // The user's commit handler discards the combo box while the module's own
    // callbacks are still running on the stack.
    Combo_InsertComboItem(panel, C_STRINGIP, -1, "10.0.0.1");
    g_discardOnCommit = true;
    focusEntry();
    ASSERT_EQ(FakeKeystroke(VAL_ENTER_VKEY), 0);
    settle();
    int kind = 0;
    EXPECT_LT(GetCtrlAttribute(panel, ring, ATTR_CTRL_STYLE, &kind), 0);
    EXPECT_EQ(Combo_InsertComboItem(panel, C_STRINGIP, -1, "x"), COMBO_ERR_NOT_COMBO_BOX);
}
