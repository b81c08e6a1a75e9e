// ValueField: a long text behaves as QLineEdit behaves with a short one, and a field holding
// megabytes stays quick and small.
#include <algorithm>
#include <array>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

#include <gtest/gtest.h>

#include "qt/value_field.h"

namespace pelmora::qt {
namespace {

constexpr int kAlwaysLong = 0;  // a ValueField that shows every text as a long text

// What a user can see of a line edit's state, printed on failure.
struct EditState {
    QString text;
    int cursor;
    int selectionStart;
    QString selected;

    bool operator==(const EditState&) const = default;
};

void PrintTo(const EditState& state, std::ostream* os) {
    *os << '"' << state.text.toStdString() << "\" cursor " << state.cursor << " selection "
        << state.selectionStart << " \"" << state.selected.toStdString() << '"';
}

EditState StateOf(const QLineEdit* edit) {
    return {edit->text(), edit->cursorPosition(), edit->selectionStart(), edit->selectedText()};
}

long PeakMemoryKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// A QLineEdit, a ValueField that shows every text as a long text and one that shows short
// texts as QLineEdit does, of the window's field size and font, side by side in one shown
// window, none focused.
class FieldPair : public ::testing::Test {
protected:
    FieldPair() {
        window.resize(300, 80);
        QFont font(QStringLiteral("Times New Roman"), 12);
        font.setStyleHint(QFont::Serif);
        window.setFont(font);
        plain->setMaxLength(std::numeric_limits<int>::max());
        plain->setGeometry(10, 10, 65, 27);
        field->setGeometry(100, 10, 65, 27);
        shortField->setGeometry(190, 10, 65, 27);
        // Without focus, so a click on one does not end the other's selection.
        for (QLineEdit* edit : all())
            edit->setFocusPolicy(Qt::NoFocus);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void setAll(const QString& text, int cursor) {
        for (QLineEdit* edit : all()) {
            edit->setText(text);
            edit->setCursorPosition(cursor);
        }
    }
    QImage pixels(QLineEdit* edit) { return edit->grab().toImage(); }
    std::array<QLineEdit*, 2> both() const { return {plain, field}; }
    std::array<QLineEdit*, 3> all() const { return {plain, field, shortField}; }

    QWidget window;
    QLineEdit* plain = new QLineEdit(&window);
    ValueField* field = new ValueField(&window, kAlwaysLong);
    ValueField* shortField = new ValueField(&window);
};

// --- Keys: a long text answers them as QLineEdit answers for a short one -------------------

struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

struct KeyRow {
    const char* name;
    const char16_t* text;
    int cursor;
    std::vector<Key> keys;
};

void PrintTo(const KeyRow& row, std::ostream* os) {
    *os << row.name;
}

class KeysLikeQLineEdit : public FieldPair, public ::testing::WithParamInterface<KeyRow> {};

constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;

const KeyRow kKeyRows[] = {
    // caret moves
    {"RightMovesOneCharacter", u"12.5 abc", 0, {{Qt::Key_Right}}},
    {"LeftAtTheStartStays", u"12.5 abc", 0, {{Qt::Key_Left}}},
    {"RightAtTheEndStays", u"12.5", 4, {{Qt::Key_Right}}},
    {"RightSkipsASurrogatePair", u"1\U0001F600 2", 1, {{Qt::Key_Right}}},
    {"LeftSkipsACombiningMark", u"e\u0301x", 2, {{Qt::Key_Left}}},
    {"CtrlRightSkipsAWord", u"12.5 abc  def", 0, {{Qt::Key_Right, kCtrl}}},
    {"CtrlRightTwice", u"12.5 abc  def", 0, {{Qt::Key_Right, kCtrl}, {Qt::Key_Right, kCtrl}}},
    {"CtrlLeftFromTheEnd", u"12.5 abc  def", 13, {{Qt::Key_Left, kCtrl}}},
    {"EndAndHome", u"12.5 abc", 3, {{Qt::Key_End}, {Qt::Key_Home}}},
    // selection
    {"ShiftRightSelects", u"12.5 abc", 1, {{Qt::Key_Right, kShift}, {Qt::Key_Right, kShift}}},
    {"ShiftLeftSelectsBackwards", u"12.5 abc", 4, {{Qt::Key_Left, kShift}}},
    {"ShiftLeftShrinksASelection", u"12.5", 0, {{Qt::Key_End, kShift}, {Qt::Key_Left, kShift}}},
    {"RightEndsASelection", u"12.5 abc", 1, {{Qt::Key_Right, kShift}, {Qt::Key_Right}}},
    {"LeftEndsASelection", u"12.5 abc", 3, {{Qt::Key_Right, kShift}, {Qt::Key_Left}}},
    {"CtrlShiftRightSelectsAWord", u"12.5 abc", 5, {{Qt::Key_Right, kShift | kCtrl}}},
    {"CtrlASelectsAll", u"12.5 abc", 2, {{Qt::Key_A, kCtrl}}},
    // editing
    {"DeleteRemovesTheNextCharacter", u"12.5", 1, {{Qt::Key_Delete}}},
    {"DeleteRemovesASurrogatePair", u"1\U0001F600 2", 1, {{Qt::Key_Delete}}},
    {"DeleteAtTheEndDoesNothing", u"12.5", 4, {{Qt::Key_Delete}}},
    {"CtrlDeleteRemovesAWord", u"12.5 abc", 5, {{Qt::Key_Delete, kCtrl}}},
    {"CtrlBackspaceRemovesAWord", u"12.5 abc", 8, {{Qt::Key_Backspace, kCtrl}}},
    {"BackspaceRemovesASelection", u"12.5 abc", 0, {{Qt::Key_End, kShift}, {Qt::Key_Backspace}}},
    {"TypingReplacesASelection", u"12.5", 0, {{Qt::Key_Right, kShift}, {Qt::Key_7}}},
    {"UndoTakesBackTyping", u"12", 2, {{Qt::Key_3}, {Qt::Key_Z, kCtrl}}},
    {"UndoTwiceTakesBackNoMore", u"12", 2, {{Qt::Key_3}, {Qt::Key_Z, kCtrl}, {Qt::Key_Z, kCtrl}}},
    {"RedoAfterUndo", u"12", 2, {{Qt::Key_3}, {Qt::Key_Z, kCtrl}, {Qt::Key_Z, kCtrl | kShift}}},
};

TEST_P(KeysLikeQLineEdit, SameTextCaretAndSelection) {
    const KeyRow& row = GetParam();
    setAll(QString::fromUtf16(row.text), row.cursor);
    ASSERT_TRUE(field->showsLongText());
    for (QLineEdit* edit : all()) {
        for (const Key& key : row.keys)
            QTest::keyClick(edit, key.key, key.modifiers);
    }
    EXPECT_EQ(StateOf(field), StateOf(plain)) << "long";
    EXPECT_EQ(StateOf(shortField), StateOf(plain)) << "short";
}

INSTANTIATE_TEST_SUITE_P(ValueField, KeysLikeQLineEdit, ::testing::ValuesIn(kKeyRows),
                         [](const auto& row) { return std::string(row.param.name); });

// --- Mouse and pixels --------------------------------------------------------------------

TEST_F(FieldPair, ClicksPutTheCaretWhereQLineEditPutsIt) {
    setAll(QStringLiteral("12.5 abc def"), 0);
    for (const int x : {2, 9, 17, 30, 44, 60}) {
        for (QLineEdit* edit : both())
            QTest::mouseClick(edit, Qt::LeftButton, {}, {x, 13});
        EXPECT_EQ(StateOf(field), StateOf(plain)) << "click at x " << x;
    }
    for (QLineEdit* edit : both())
        QTest::mouseClick(edit, Qt::LeftButton, Qt::ShiftModifier, {12, 13});
    EXPECT_EQ(StateOf(field), StateOf(plain)) << "shift click";
}

TEST_F(FieldPair, DoubleClickSelectsAWordAndTripleClickAll) {
    setAll(QStringLiteral("12.5 abc def"), 0);
    for (QLineEdit* edit : both())
        QTest::mouseDClick(edit, Qt::LeftButton, {}, {40, 13});
    EXPECT_EQ(StateOf(field), StateOf(plain)) << "double click";
    EXPECT_FALSE(field->selectedText().isEmpty());
    for (QLineEdit* edit : both())
        QTest::mouseClick(edit, Qt::LeftButton, {}, {40, 13});
    EXPECT_EQ(StateOf(field), StateOf(plain)) << "triple click";
}

struct Look {
    const char* name;
    int cursor;  // -1: the end
    int selected;
    bool classic = false;  // in the window's classic style
    bool enabled = true;
};

void PrintTo(const Look& look, std::ostream* os) {
    *os << look.name;
}

class LooksLikeQLineEdit : public FieldPair, public ::testing::WithParamInterface<Look> {};

const Look kLooks[] = {
    {"FromTheStart", 0, 0},          {"FromTheEnd", -1, 0},
    {"WithASelection", 2, 4},        {"ScrolledToTheCaret", 22, 0},
    {"ClassicStyle", 0, 0, true},    {"ClassicStyleWithASelection", 2, 4, true},
    {"Disabled", 0, 0, true, false},
};

TEST_P(LooksLikeQLineEdit, SamePixels) {
    const Look& look = GetParam();
    std::unique_ptr<QStyle> classic(QStyleFactory::create(QStringLiteral("Windows")));
    for (QLineEdit* edit : both()) {
        if (look.classic) edit->setStyle(classic.get());
        edit->setEnabled(look.enabled);
    }
    const QString text = QStringLiteral("12345.678 9012345678901234567890abc");
    setAll(text, look.cursor < 0 ? static_cast<int>(text.size()) : look.cursor);
    if (look.selected) {
        for (QLineEdit* edit : both())
            edit->setSelection(look.cursor, look.selected);
    }
    EXPECT_EQ(pixels(field), pixels(plain));
    for (QLineEdit* edit : both())
        edit->setStyle(nullptr);  // before the style goes
}

INSTANTIATE_TEST_SUITE_P(ValueField, LooksLikeQLineEdit, ::testing::ValuesIn(kLooks),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(FieldPair, DropsLandWhereQLineEditPutsThem) {
    // QApplication hands a drop only to the target of a drag in progress: call the handlers.
    struct DropTarget : QLineEdit {
        static void drop(QLineEdit* edit, QDropEvent* event) {
            (edit->*&DropTarget::dropEvent)(event);
        }
    };
    QMimeData dragged;
    dragged.setText(QStringLiteral("X"));
    for (const int x : {9, 30}) {
        setAll(QStringLiteral("12.5 abc def"), 0);
        for (QLineEdit* edit : both()) {
            QDropEvent drop(QPointF(x, 13), Qt::CopyAction, &dragged, Qt::LeftButton, {});
            DropTarget::drop(edit, &drop);
        }
        EXPECT_EQ(StateOf(field), StateOf(plain)) << "drop at x " << x;
    }
}

TEST_F(FieldPair, MiddleClickPastesWhereQLineEditPastes) {
    if (!QGuiApplication::clipboard()->supportsSelection())
        GTEST_SKIP() << "no mouse selection on " << QGuiApplication::platformName().toStdString();
    QGuiApplication::clipboard()->setText(QStringLiteral("X"), QClipboard::Selection);
    setAll(QStringLiteral("12.5 abc def"), 0);
    for (QLineEdit* edit : both())
        QTest::mouseClick(edit, Qt::MiddleButton, {}, {30, 13});
    EXPECT_EQ(StateOf(field), StateOf(plain));
}

TEST_F(FieldPair, CaretLooksLikeQLineEdit) {
    QApplication::setActiveWindow(&window);
    for (const int cursor : {0, 5, 22}) {
        setAll(QStringLiteral("12345.678 9012345678901234567890abc"), cursor);
        std::vector<QImage> focused;
        for (QLineEdit* edit : both()) {
            edit->setFocusPolicy(Qt::StrongFocus);
            edit->setFocus();
            focused.push_back(pixels(edit));  // the caret is on right after the focus comes
        }
        EXPECT_EQ(focused[1], focused[0]) << "caret at " << cursor;
    }
}

// --- Whole-text operations on a long text ---------------------------------------------------

class LongText : public FieldPair {
protected:
    LongText() {
        for (int i = 0; i < 20'000; ++i)
            line += QChar(u'0' + i % 10);
    }
    void paste(QLineEdit* edit, const QString& text) {
        QObject::connect(edit, &QLineEdit::textEdited, edit,
                         [this](const QString& now) { edited = now; });
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    }

    // Compares without printing twenty thousand characters on failure.
    ::testing::AssertionResult IsLine(const QString& text) const {
        if (text == line) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << text.size() << " characters \"" << text.left(20).toStdString() << "…\"";
    }

    QString line;
    QString edited;
};

TEST_F(LongText, PasteReachesTextAndTextEditedWhole) {
    ValueField normal(&window);
    paste(&normal, line);
    EXPECT_TRUE(normal.showsLongText());
    EXPECT_TRUE(IsLine(normal.text()));
    EXPECT_TRUE(IsLine(edited));
}

TEST_F(LongText, CopyAndMenuCopyTakeTheWholeText) {
    setAll(line, 0);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(IsLine(QGuiApplication::clipboard()->text())) << "Ctrl+C";

    QGuiApplication::clipboard()->clear();
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, {10, 10},
                                field->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(field, &menuEvent);
    auto* menu = field->findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> actions = menu->actions();
    const auto copy = std::find_if(actions.begin(), actions.end(), [](QAction* action) {
        return action->text().startsWith(QLineEdit::tr("&Copy"));
    });
    ASSERT_NE(copy, actions.end());
    EXPECT_TRUE((*copy)->isEnabled());
    (*copy)->trigger();
    menu->close();
    EXPECT_TRUE(IsLine(QGuiApplication::clipboard()->text())) << "menu Copy";
}

TEST_F(LongText, TypingOverAllOfItLeavesTheLongDisplay) {
    ValueField normal(&window);
    normal.setText(line);
    ASSERT_TRUE(normal.showsLongText());
    QTest::keyClick(&normal, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&normal, Qt::Key_7);
    EXPECT_EQ(normal.text(), QStringLiteral("7"));
    EXPECT_FALSE(normal.showsLongText());
}

TEST_F(LongText, UndoTakesBackAPasteAndRedoBringsItAgain) {
    ValueField normal(&window);
    paste(&normal, line);
    QTest::keyClick(&normal, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(normal.text(), QString());
    QTest::keyClick(&normal, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(IsLine(normal.text()));
}

TEST_F(LongText, UndoTakesBackTypingOverAllOfIt) {
    ValueField normal(&window);
    paste(&normal, line);
    QTest::keyClick(&normal, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&normal, Qt::Key_7);
    ASSERT_EQ(normal.text(), QStringLiteral("7"));
    QTest::keyClick(&normal, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(IsLine(normal.text()));
    EXPECT_TRUE(IsLine(edited));
}

TEST_F(LongText, ProgramTextIsShownFromItsStart) {
    ValueField normal(&window);
    normal.setGeometry(field->geometry());
    field->hide();
    normal.show();
    setAll(QString(), 0);
    for (QLineEdit* edit : std::array<QLineEdit*, 2>{&normal, plain}) {
        edit->setText(line);
        edit->setCursorPosition(0);
    }
    EXPECT_TRUE(normal.showsLongText());
    EXPECT_EQ(pixels(&normal), pixels(plain));
}

TEST_F(LongText, EndAndHomeShowItLikeQLineEdit) {
    setAll(line, 0);
    for (const Qt::Key key : {Qt::Key_End, Qt::Key_Home, Qt::Key_End}) {
        for (QLineEdit* edit : both())
            QTest::keyClick(edit, key);
        EXPECT_EQ(pixels(field), pixels(plain)) << "after key " << key;
    }
}

TEST_F(LongText, InputMethodsSeeTheTextAroundTheCaret) {
    field->setText(line);
    field->setCursorPosition(10'000);
    const QString around = field->inputMethodQuery(Qt::ImSurroundingText).toString();
    const int caret = field->inputMethodQuery(Qt::ImCursorPosition).toInt();
    EXPECT_LE(around.size(), 4096);
    EXPECT_EQ(around.mid(caret, 20), line.mid(10'000, 20));
}

// --- A field holding megabytes stays quick and small (each fails without the long display) --

class Megabytes : public ::testing::Test {
protected:
    Megabytes() {
        window.resize(200, 80);
        field->setGeometry(10, 10, 65, 27);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
        field->setFocus();
        QObject::connect(field, &QLineEdit::textEdited, field,
                         [this](const QString& text) { model = text.toUtf8().toStdString(); });
    }
    void paste(qsizetype bytes) {
        QGuiApplication::clipboard()->setText(QString(bytes, u'7'));
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        ASSERT_EQ(model.size(), static_cast<std::size_t>(bytes));
    }

    QWidget window;
    ValueField* field = new ValueField(&window);
    std::string model;
};

TEST_F(Megabytes, TwentyPaintsOfAFocusedTwoMegabyteField) {
    paste(2'000'000);
    // QLineEdit measures and draws the whole line on each paint: about 0.7 s each here.
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 20 && clock.elapsed() < 2000; ++i)
        field->repaint();
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST_F(Megabytes, ClicksIntoATwoMegabyteFieldAreAnsweredQuickly) {
    paste(2'000'000);
    QTest::keyClick(field, Qt::Key_Home);
    for (const int x : {5, 30, 55}) {
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(field, Qt::LeftButton, {}, {x, 13});
        field->repaint();
        EXPECT_LT(clock.elapsed(), 250) << "click at x " << x;
    }
}

TEST_F(Megabytes, PastingFourMegabytesTakesLittleMemory) {
    const long before = PeakMemoryKiB();
    paste(4'000'000);
    field->repaint();
    // QLineEdit's layout alone takes about 37 bytes per character, its undo records 18 more.
    EXPECT_LT((PeakMemoryKiB() - before) * 1024, 20 * 4'000'000);
}

}  // namespace
}  // namespace pelmora::qt
