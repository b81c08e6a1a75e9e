// ValueField: up to its limit a QLineEdit; a longer text stays whole in the field and in what
// the window hears, is edited as a whole, undone in one step, and read to screen readers by its
// length and first characters.
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include "qt/value_field.h"

namespace pelmora::qt {
namespace {

struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
constexpr Key kSelectAll{Qt::Key_A, kCtrl}, kUndo{Qt::Key_Z, kCtrl}, kSeven{Qt::Key_7},
    kEnd{Qt::Key_End}, kCopy{Qt::Key_C, kCtrl}, kPaste{Qt::Key_V, kCtrl};

long PeakMemoryKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// A focused ValueField in a shown window; `heard` is its text as the window's textChanged hears it.
class Field : public ::testing::Test {
protected:
    Field() {
        field->setGeometry(10, 10, 120, 27);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
        field->setFocus();
        QObject::connect(field, &QLineEdit::textChanged,
                         [this](const QString& now) { heard = now; });
    }
    void press(QLineEdit* edit, const std::vector<Key>& keys) {
        for (const Key& key : keys)
            QTest::keyClick(edit, key.key, key.modifiers);
    }
    // "*" in a pattern stands for `line`.
    QString expand(const char16_t* pattern) const {
        return QString::fromUtf16(pattern).replace(u'*', line);
    }

    const QString line = QStringLiteral("0123456789").repeated(500);  // a long text
    QString heard;
    QWidget window;
    ValueField* field = new ValueField(&window);
};

// --- A long text, written by the program with the caret at its start ----------------------

struct LongRow {
    const char* name;
    bool locked;
    std::vector<Key> keys;
    const char16_t* text;                 // "*": the long text
    const char16_t* clipboard = u"12.5";  // as it was before the keys
};

void PrintTo(const LongRow& row, std::ostream* os) {
    *os << row.name;
}

class LongText : public Field, public ::testing::WithParamInterface<LongRow> {};

const LongRow kLongRows[] = {
    {"TypingOverItReplacesIt", false, {kSelectAll, kSeven}, u"7"},
    {"UndoBringsItBack", false, {kSelectAll, kSeven, kUndo}, u"*"},
    {"SecondUndoRedoes", false, {kSelectAll, kSeven, kUndo, kUndo}, u"7"},
    {"TypingAtTheStart", false, {kSeven}, u"7*"},
    {"EndThenTyping", false, {kEnd, kSeven}, u"*7"},
    {"ArrowsAndWordKeysMoveNothing",
     false,
     {{Qt::Key_Right}, {Qt::Key_Right, kCtrl}, kSeven},
     u"7*"},
    {"BackspaceErasesIt", false, {kEnd, {Qt::Key_Backspace}}, u""},
    {"UndoAfterDeleteBringsItBack", false, {{Qt::Key_Delete}, kUndo}, u"*"},
    {"CopyTakesItAll", false, {kSelectAll, kCopy}, u"*", u"*"},
    {"CutTakesItAll", false, {kSelectAll, {Qt::Key_X, kCtrl}}, u"", u"*"},
    {"PasteOverItAll", false, {kSelectAll, kPaste}, u"12.5"},
    {"PasteAtTheEnd", false, {kEnd, kPaste}, u"*12.5"},
    {"LockedTakesNoEdit", true, {kSelectAll, kSeven, {Qt::Key_Delete}, kPaste}, u"*"},
    {"LockedStillCopies", true, {kSelectAll, kCopy}, u"*", u"*"},
};

TEST_P(LongText, KeysEditItWhole) {
    const LongRow& row = GetParam();
    QGuiApplication::clipboard()->setText(QStringLiteral("12.5"));
    field->setText(line);
    field->setCursorPosition(0);
    field->setReadOnly(row.locked);
    ASSERT_TRUE(field->showsLongText());
    press(field, row.keys);
    // Compared as booleans: a failure does not print thousands of characters.
    EXPECT_TRUE(field->text() == expand(row.text)) << field->text().left(30).toStdString();
    EXPECT_TRUE(heard == field->text()) << "the window heard " << heard.size() << " characters";
    EXPECT_TRUE(QGuiApplication::clipboard()->text() == expand(row.clipboard));
}

INSTANTIATE_TEST_SUITE_P(ValueField, LongText, ::testing::ValuesIn(kLongRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(Field, AClickSelectsALongTextWhole) {
    field->setText(line);
    QTest::mouseClick(field, Qt::LeftButton, {}, {60, 13});
    press(field, {kSeven});
    EXPECT_EQ(field->text(), QStringLiteral("7"));
}

TEST_F(Field, ContextMenuCopiesAndUndoesALongText) {
    auto* own = new QAction(QStringLiteral("Копирай"), field);
    field->addAction(own);
    const auto run = [&](const char* entry) {  // QLineEdit's caption, in the test's Bulgarian
        QContextMenuEvent event(QContextMenuEvent::Mouse, {5, 5}, field->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(field, &event);
        const std::unique_ptr<QMenu> menu(field->findChild<QMenu*>());
        ASSERT_TRUE(menu && menu->actions().back() == own);
        for (QAction* action : menu->actions()) {
            if (action->text().startsWith(QLineEdit::tr(entry)) && action->isEnabled())
                return action->trigger();
        }
        ADD_FAILURE() << "no enabled " << entry;
    };
    QGuiApplication::clipboard()->setText(line);
    run("&Paste");
    EXPECT_TRUE(field->showsLongText() && heard == line);
    field->selectAll();
    QGuiApplication::clipboard()->clear();
    run("&Copy");
    EXPECT_TRUE(QGuiApplication::clipboard()->text() == line);
    run("Delete");
    run("&Undo");
    EXPECT_TRUE(field->text() == line);
}

// --- Crossing the limit, and short texts ---------------------------------------------------

TEST_F(Field, UndoTakesBackWhatMadeATextLong) {
    ValueField small(&window, 4);
    QTest::keyClicks(&small, QStringLiteral("12345"));
    EXPECT_TRUE(small.showsLongText());
    press(&small, {kUndo});
    EXPECT_EQ(small.text(), QStringLiteral("1234"));
    QGuiApplication::clipboard()->setText(line);
    QTest::keyClicks(field, QStringLiteral("12"));
    press(field, {kPaste});
    EXPECT_TRUE(field->text() == QStringLiteral("12") + line);
    press(field, {kUndo});
    EXPECT_EQ(field->text(), QStringLiteral("12"));
    EXPECT_FALSE(field->showsLongText());
    field->setText(QStringLiteral("5.000"));  // the program's text ends undo, as in QLineEdit
    press(field, {kUndo});
    EXPECT_EQ(field->text(), QStringLiteral("5.000"));
}

TEST_F(Field, ShortTextsAreQLineEditsOwn) {
    const std::vector<Key> keys[] = {
        {{Qt::Key_Right, kCtrl}, {Qt::Key_Right, Qt::ShiftModifier}, kSeven},
        {{Qt::Key_End}, {Qt::Key_Backspace, kCtrl}, {Qt::Key_Left}, {Qt::Key_Delete}},
        {kSeven, {Qt::Key_8}, kUndo, {Qt::Key_Z, kCtrl | Qt::ShiftModifier}, {Qt::Key_Left}},
        {{Qt::Key_End, Qt::ShiftModifier}, kPaste, kUndo, kUndo},
    };
    QLineEdit plain;
    QGuiApplication::clipboard()->setText(QStringLiteral("4"));
    for (const auto& row : keys) {
        std::vector<QString> states;
        for (QLineEdit* edit : {static_cast<QLineEdit*>(field), &plain}) {
            edit->setText(QStringLiteral("12.5 abc"));
            edit->setCursorPosition(2);
            press(edit, row);
            states.push_back(edit->text() + u'|' + QString::number(edit->cursorPosition()) + u'|' +
                             edit->selectedText());
        }
        EXPECT_EQ(states[0], states[1]);
    }
}

// --- Screen readers -------------------------------------------------------------------------

TEST_F(Field, ScreenReadersReadALongTextByItsLengthAndStart) {
    const QString emoji = QString::fromUtf16(u"\U0001F600");
    const std::pair<QString, QString> rows[] = {
        {QStringLiteral("12.5"), QStringLiteral("12.5")},
        {line, QStringLiteral("Дълъг текст от 5000 знака: 01234567890123456789…")},
        {line.left(19) + emoji + line, QStringLiteral("Дълъг текст от 5021 знака: ") +
                                           line.left(19) + u'…'},  // not half a character
    };
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(field);
    ASSERT_TRUE(reader && reader->textInterface() && reader->editableTextInterface());
    QAccessibleTextInterface* text = reader->textInterface();
    for (const auto& [content, read] : rows) {
        field->setText(content);
        EXPECT_TRUE(reader->role() == QAccessible::EditableText && !reader->state().passwordEdit);
        EXPECT_EQ(reader->text(QAccessible::Value), read);
        EXPECT_EQ(text->text(0, text->characterCount()), read);
        EXPECT_EQ(text->cursorPosition(), read.size());  // setText leaves the caret at the end
    }
    reader->editableTextInterface()->replaceText(0, text->characterCount(), QStringLiteral("7"));
    EXPECT_EQ(heard, QStringLiteral("7"));
}

// --- Megabytes stay quick and small -------------------------------------------------------

TEST_F(Field, FourMegabytesArePastedAndTypedOverQuicklyAndSmall) {
    const qsizetype bytes = 4'000'000;
    QGuiApplication::clipboard()->setText(QString(bytes, u'7'));
    const long before = PeakMemoryKiB();
    QElapsedTimer clock;
    clock.start();
    press(field, {kPaste});
    for (int i = 0; i < 20; ++i)
        field->repaint();
    // QLineEdit lays out and draws the whole line: seconds for each of these paints.
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(heard.size(), bytes);
    // Input methods get no megabytes around the caret, and type over them as keys do.
    EXPECT_TRUE(field->inputMethodQuery(Qt::ImSurroundingText).toString().isEmpty());
    field->selectAll();
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("7"));
    QApplication::sendEvent(field, &commit);
    EXPECT_EQ(heard, QStringLiteral("7"));
    // Here some 2 bytes per character; QLineEdit's layout takes some 37, its undo records 20.
    EXPECT_LT((PeakMemoryKiB() - before) * 1024, 10 * bytes);
}

}  // namespace
}  // namespace pelmora::qt
