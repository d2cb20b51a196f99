// The combo box on a panel of its own, driven by real key events.
#include "ComboTestIds.h"
#include "ctrlvalues.h"
#include "combobox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

struct Event {
    int control, event, d1;
};
std::vector<Event> g_events;
int g_swallowKey = 0; // the user callback consumes this key
bool g_discardOnCommit = false;

// The events the user callback saw, in order; every one must name the string control.
std::vector<int> events()
{
    std::vector<int> v;
    for (const Event &e : g_events) {
        EXPECT_EQ(e.control, C_STRINGIP);
        v.push_back(e.event);
    }
    return v;
}

void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// Types into the focused control, one key event per character.
void type(const char *s)
{
    for (; *s; ++s)
        ASSERT_EQ(FakeKeystroke(static_cast<unsigned char>(*s)), 0);
}

// Delete has no run-time key code: a plain key event to the focus widget.
void pressDelete()
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &press);
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
        DisplayPanel(panel);
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->isVisible() && top->objectName() == "C")
                window = top;
        ASSERT_NE(window, nullptr);
        window->activateWindow();
        settle();
        ASSERT_EQ(Combo_NewComboBox(panel, C_STRINGIP), C_STRINGIP);
        ring = record()->ring;
        frame = record()->frame;
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
        return window->findChild<QComboBox *>(QString::fromStdString(CtrlName(panel, ring)));
    }
    std::string text() const { return StrVal(panel, C_STRINGIP); }
    void expectSelection(int start, int length) const
    {
        EXPECT_EQ(IntAttr(panel, C_STRINGIP, ATTR_TEXT_SELECTION_START), start);
        EXPECT_EQ(IntAttr(panel, C_STRINGIP, ATTR_TEXT_SELECTION_LENGTH), length);
    }
    void focusEntry()
    {
        ASSERT_EQ(SetActiveCtrl(panel, C_STRINGIP), 0);
        settle();
        ASSERT_EQ(GetActiveCtrl(panel), C_STRINGIP);
    }
    int panel = 0, ring = 0, frame = 0;
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

TEST_F(Combo, CreationBuildsRecordRingAndFrameOnceAndOnlyOnAString)
{
    ComboRecord *r = record();
    EXPECT_EQ(IntAttr(panel, ring, ATTR_CTRL_STYLE), CTRL_RING);
    EXPECT_EQ(IntAttr(panel, frame, ATTR_CTRL_STYLE), CTRL_DECORATION);
    // The ring takes the entry field's tab position: it comes directly before it.
    EXPECT_EQ(IntAttr(panel, ring, ATTR_CTRL_TAB_POSITION) + 1, IntAttr(panel, C_STRINGIP, ATTR_CTRL_TAB_POSITION));
    // The entry field stays where it was (60, 60, 160 wide), the ring goes left
    // of it, a square as high as the field; the frame holds both. Left, top,
    // width and height of frame, ring and entry field:
    const int h = IntAttr(panel, C_STRINGIP, ATTR_HEIGHT);
    std::vector<int> got;
    for (int c : {frame, ring, C_STRINGIP})
        for (int a : {ATTR_LEFT, ATTR_TOP, ATTR_WIDTH, ATTR_HEIGHT})
            got.push_back(IntAttr(panel, c, a));
    EXPECT_EQ(got, (std::vector<int> {60 - h, 59, 160 + h, h + 2, 61 - h, 60, h, h, 60, 60, 160, h}));

    // A second creation, or one on a control that is no string, adds nothing.
    const int next = NewCtrl(panel, CTRL_DECORATION, "", 0, 0);
    for (int ctrl : {C_STRINGIP, C_EDITPORT, C_RINGPROTOCOL, ring})
        EXPECT_EQ(Combo_NewComboBox(panel, ctrl), COMBO_ERR_NOT_COMBO_BOX) << ctrl;
    EXPECT_LT(Combo_NewComboBox(panel, 999), 0);
    EXPECT_EQ(NewCtrl(panel, CTRL_DECORATION, "", 0, 0), next + 1);
    EXPECT_EQ(record(), r);
    // Controls without a record are no combo boxes.
    for (int ctrl : {C_STRINGPLAIN, ring, 999})
        EXPECT_EQ(Combo_InsertComboItem(panel, ctrl, -1, "x"), COMBO_ERR_NOT_COMBO_BOX) << ctrl;
    // Callback data that merely looks like a record is not taken for one.
    ComboRecord fake = *record();
    fake.string = C_STRINGPLAIN;
    SetCtrlAttribute(panel, C_STRINGPLAIN, ATTR_CALLBACK_DATA, static_cast<void *>(&fake));
    EXPECT_EQ(Combo_InsertComboItem(panel, C_STRINGPLAIN, -1, "x"), COMBO_ERR_NOT_COMBO_BOX);
    EXPECT_EQ(Combo_NewComboBox(panel, C_STRINGPLAIN), C_STRINGPLAIN);
    EXPECT_EQ(Combo_DiscardComboBox(panel, C_STRINGPLAIN), 0);
}

// The attributes the programs set (colour, visibility) reach all three parts.
TEST_F(Combo, AttributesReachAllThreeParts)
{
    for (int code : {0, 1, 6, 7, 15})
        EXPECT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, code, 1), COMBO_ERR_UNKNOWN_ATTRIBUTE) << code;
    for (auto [code, a, value] : {std::tuple {COMBO_ATTR_COLOR, ATTR_TEXT_BGCOLOR, 0xE0E0E0},
                                  std::tuple {COMBO_ATTR_VISIBLE, ATTR_VISIBLE, 0}}) {
        ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, code, value), 0);
        for (int c : {C_STRINGIP, ring, frame})
            EXPECT_EQ(IntAttr(panel, c, a), value) << code << " " << c;
    }
}

TEST_F(Combo, ListItems)
{
    int index = 0, count = 0;
    char value[64];
    EXPECT_EQ(Combo_InsertComboItem(panel, C_STRINGIP, -1, "10.0.0.2"), 0);
    EXPECT_EQ(Combo_InsertComboItem(panel, C_STRINGIP, -1, "10.0.0.3"), 1);
    EXPECT_EQ(Combo_InsertComboItem(panel, C_STRINGIP, 0, "10.0.0.1"), 0);
    ASSERT_EQ(Combo_GetIndexFromValue(panel, C_STRINGIP, &index, "10.0.0.3"), 0);
    EXPECT_EQ(index, 2);
    ASSERT_EQ(Combo_GetComboItemValue(panel, C_STRINGIP, 1, value, 4), 0); // bounded
    EXPECT_STREQ(value, "10.");
    ASSERT_EQ(Combo_DeleteComboItem(panel, C_STRINGIP, 0, 1), 0);
    ASSERT_EQ(Combo_GetComboItemValue(panel, C_STRINGIP, 0, value, sizeof value), 0);
    EXPECT_STREQ(value, "10.0.0.2");
    EXPECT_LT(Combo_DeleteComboItem(panel, C_STRINGIP, 5, 1), 0);
    ASSERT_EQ(Combo_GetNumComboItems(panel, C_STRINGIP, &count), 0);
    EXPECT_EQ(count, 2);
}

TEST_F(Combo, CompletionFromTheList)
{
    Combo_InsertComboItem(panel, C_STRINGIP, -1, "Abcd");
    focusEntry();
    type("a");
    EXPECT_EQ(text(), "abcd"); // the typed part keeps the user's case
    expectSelection(1, 3);
    type("B");
    EXPECT_EQ(text(), "aBcd");
    expectSelection(2, 2);

    // Backspace removes the selection and stops completion until another key.
    ASSERT_EQ(FakeKeystroke(VAL_BACKSPACE_VKEY), 0);
    ASSERT_EQ(FakeKeystroke(VAL_BACKSPACE_VKEY), 0);
    EXPECT_EQ(text(), "a");
    type("b");
    EXPECT_EQ(text(), "abcd");
    expectSelection(2, 2);
    ASSERT_EQ(FakeKeystroke(VAL_ESC_VKEY), 0); // Esc stops it too
    pressDelete();
    EXPECT_EQ(text(), "ab");
    type("x");
    EXPECT_EQ(text(), "abx");

    // Every key and change reached the user callback under the string control's identifier.
    const std::vector<int> seen = events();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), EVENT_KEYPRESS), 7);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), EVENT_VAL_CHANGED), 7);

    // A key the user callback consumes never reaches the field.
    g_swallowKey = 'z';
    type("z");
    EXPECT_EQ(text(), "abx");
}

TEST_F(Combo, CompletionSkipsOneCharacterValuesAndKeepsTheLimit)
{
    Combo_InsertComboItem(panel, C_STRINGIP, -1, "q");
    focusEntry();
    type("q");
    EXPECT_EQ(text(), "q");
    Combo_InsertComboItem(panel, C_STRINGIP, -1, "QUIT");
    ASSERT_EQ(Combo_SetComboAttribute(panel, C_STRINGIP, COMBO_ATTR_MAX_ENTRY_LENGTH, 3), 0);
    SetCtrlVal(panel, C_STRINGIP, "");
    type("q");
    EXPECT_EQ(text(), "qUI");
    expectSelection(1, 2);
    // Emptying the field with completion on leaves it empty.
    SetCtrlAttribute(panel, C_STRINGIP, ATTR_TEXT_SELECTION_START, 0);
    SetCtrlAttribute(panel, C_STRINGIP, ATTR_TEXT_SELECTION_LENGTH, 3);
    pressDelete();
    EXPECT_EQ(text(), "");
}

TEST_F(Combo, PickingAnItemWithTheMouseCommitsIt)
{
    Combo_InsertComboItem(panel, C_STRINGIP, -1, "10.0.0.1");
    Combo_InsertComboItem(panel, C_STRINGIP, -1, "192.168.100.200");
    QComboBox *combo = ringWidget();
    ASSERT_NE(combo, nullptr);
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    settle();
    EXPECT_EQ(text(), "192.168.100.200");
    EXPECT_EQ(GetActiveCtrl(panel), C_STRINGIP);
    EXPECT_EQ(events(), (std::vector<int> {EVENT_GOT_FOCUS, EVENT_VAL_CHANGED, EVENT_COMMIT}));
}

TEST_F(Combo, DownArrowOpensTheListWhichOtherwiseGivesTheFocusBack)
{
    ASSERT_EQ(SetActiveCtrl(panel, ring), 0);
    settle();
    EXPECT_EQ(GetActiveCtrl(panel), C_STRINGIP);

    Combo_InsertComboItem(panel, C_STRINGIP, -1, "10.0.0.1");
    Combo_InsertComboItem(panel, C_STRINGIP, -1, "10.0.0.2");
    ASSERT_EQ(FakeKeystroke(VAL_DOWN_ARROW_VKEY), 0);
    settle();
    QComboBox *combo = ringWidget();
    EXPECT_TRUE(combo->view()->isVisible());
    EXPECT_EQ(record()->listOpened, 0);
    // In the open list: one down, Enter.
    ASSERT_EQ(FakeKeystroke(VAL_DOWN_ARROW_VKEY), 0);
    ASSERT_EQ(FakeKeystroke(VAL_ENTER_VKEY), 0);
    settle();
    EXPECT_FALSE(combo->view()->isVisible());
    EXPECT_EQ(text(), "10.0.0.2");
    EXPECT_EQ(GetActiveCtrl(panel), C_STRINGIP);
}

TEST_F(Combo, ShiftTabGoesToTheOperableControlBeforeTheRing)
{
    auto backTab = [&](int expected) {
        focusEntry();
        ASSERT_EQ(FakeKeystroke(VAL_TAB_VKEY | VAL_SHIFT_MODIFIER), 0);
        settle();
        EXPECT_EQ(GetActiveCtrl(panel), expected);
    };
    backTab(C_BUTTONFIRST);
    SetCtrlAttribute(panel, C_BUTTONFIRST, ATTR_DIMMED, 1);
    backTab(C_BUTTONLAST); // wraps to the last position
    SetCtrlAttribute(panel, C_BUTTONLAST, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panel, C_RINGPROTOCOL, ATTR_CTRL_MODE, VAL_INDICATOR);
    backTab(C_STRINGPLAIN);
}

// A commit handler that discards the combo box while the module's callback
// still runs frees everything.
TEST_F(Combo, DiscardFreesEverythingEvenFromInsideItsCallback)
{
    g_discardOnCommit = true;
    focusEntry();
    ASSERT_EQ(FakeKeystroke(VAL_ENTER_VKEY), 0);
    settle();
    for (int c : {C_STRINGIP, ring, frame})
        EXPECT_EQ(IntAttr(panel, c, ATTR_CTRL_STYLE), -1) << c; // gone
    EXPECT_EQ(Combo_DiscardComboBox(panel, C_STRINGIP), COMBO_ERR_NOT_COMBO_BOX);
}
