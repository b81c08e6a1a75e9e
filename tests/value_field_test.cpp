// ValueField: up to its limit a QLineEdit; a longer text stays whole in the field and in what
// the window hears, is edited as a whole, undone in one step, and read to screen readers by its
// length and first characters.
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QElapsedTimer>
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
constexpr Key kSelectAll{Qt::Key_A, kCtrl}, kUndo{Qt::Key_Z, kCtrl}, kSeven{Qt::Key_7};

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
        for (int i = 0; i < 5000; ++i)
            line += QChar(u'0' + i % 10);
        window.resize(300, 60);
        field->setGeometry(10, 10, 120, 27);
        plain->setGeometry(150, 10, 120, 27);
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

    QString line;  // 5,000 characters: a long text
    QString heard;
    QWidget window;
    ValueField* field = new ValueField(&window);
    QLineEdit* plain = new QLineEdit(&window);
};

// --- A long text, written by the program with the caret at its start ----------------------

struct LongRow {
    const char* name;
    bool locked;
    std::vector<Key> keys;
    const char16_t* text;       // "*": the long text
    const char16_t* clipboard;  // after the keys; it held "12.5" before
};

class LongText : public Field, public ::testing::WithParamInterface<LongRow> {};

const LongRow kLongRows[] = {
    {"TypingOverItReplacesIt", false, {kSelectAll, kSeven}, u"7", u"12.5"},
    {"UndoBringsItBack", false, {kSelectAll, kSeven, kUndo}, u"*", u"12.5"},
    {"SecondUndoRedoes", false, {kSelectAll, kSeven, kUndo, kUndo}, u"7", u"12.5"},
    {"TypingAtTheStart", false, {kSeven}, u"7*", u"12.5"},
    {"EndThenTyping", false, {{Qt::Key_End}, kSeven}, u"*7", u"12.5"},
    {"EndHomeThenTyping", false, {{Qt::Key_End}, {Qt::Key_Home}, kSeven}, u"7*", u"12.5"},
    {"ArrowsAndWordKeysMoveNothing",
     false,
     {{Qt::Key_Right}, {Qt::Key_Right, kCtrl}, {Qt::Key_Left, Qt::ShiftModifier}, kSeven},
     u"7*",
     u"12.5"},
    {"BackspaceErasesIt", false, {{Qt::Key_End}, {Qt::Key_Backspace}}, u"", u"12.5"},
    {"DeleteErasesIt", false, {{Qt::Key_Delete}}, u"", u"12.5"},
    {"UndoAfterEraseBringsItBack", false, {{Qt::Key_Delete}, kUndo}, u"*", u"12.5"},
    {"CopyTakesItAll", false, {kSelectAll, {Qt::Key_C, kCtrl}}, u"*", u"*"},
    {"CutTakesItAll", false, {kSelectAll, {Qt::Key_X, kCtrl}}, u"", u"*"},
    {"PasteOverItAll", false, {kSelectAll, {Qt::Key_V, kCtrl}}, u"12.5", u"12.5"},
    {"PasteAtTheEnd", false, {{Qt::Key_End}, {Qt::Key_V, kCtrl}}, u"*12.5", u"12.5"},
    {"ProgramTextIsNotUndone", false, {kUndo}, u"*", u"12.5"},
    {"LockedTakesNoEdit",
     true,
     {kSelectAll, kSeven, {Qt::Key_Delete}, {Qt::Key_X, kCtrl}},
     u"*",
     u"12.5"},
    {"LockedStillCopies", true, {kSelectAll, {Qt::Key_C, kCtrl}}, u"*", u"*"},
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
    const auto run = [&](const char* entry) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, {5, 5}, field->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(field, &event);
        auto* menu = field->findChild<QMenu*>();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->actions().back(), own);
        const QList<QAction*> actions = menu->actions();
        const auto action = std::find_if(actions.begin(), actions.end(), [&](QAction* each) {
            return each->text().startsWith(QLineEdit::tr(entry));  // in the test's Bulgarian
        });
        ASSERT_NE(action, actions.end()) << entry;
        EXPECT_TRUE((*action)->isEnabled()) << entry;
        (*action)->trigger();
        delete menu;
    };
    QGuiApplication::clipboard()->setText(line);
    run("&Paste");
    EXPECT_TRUE(field->showsLongText() && heard == line);
    field->selectAll();
    QGuiApplication::clipboard()->clear();
    run("&Copy");
    EXPECT_TRUE(QGuiApplication::clipboard()->text() == line);
    run("Delete");
    EXPECT_EQ(field->text(), QString());
    run("&Undo");
    EXPECT_TRUE(field->text() == line);
}

// --- Crossing the limit, and short texts ---------------------------------------------------

TEST_F(Field, UndoTakesBackWhatMadeATextLong) {
    ValueField small(&window, 4);
    press(&small, {{Qt::Key_1}, {Qt::Key_2}, {Qt::Key_3}, {Qt::Key_4}, {Qt::Key_5}});
    EXPECT_TRUE(small.showsLongText());
    press(&small, {kUndo});
    EXPECT_EQ(small.text(), QStringLiteral("1234"));
    QGuiApplication::clipboard()->setText(line);
    press(field, {{Qt::Key_1}, {Qt::Key_2}, {Qt::Key_V, kCtrl}});
    EXPECT_TRUE(field->text() == QStringLiteral("12") + line);
    press(field, {kUndo});
    EXPECT_EQ(field->text(), QStringLiteral("12"));
    EXPECT_FALSE(field->showsLongText());
}

TEST_F(Field, ShortTextsAreQLineEditsOwn) {
    const std::vector<Key> keys[] = {
        {{Qt::Key_Right, kCtrl}, {Qt::Key_Right, Qt::ShiftModifier}, kSeven},
        {{Qt::Key_End}, {Qt::Key_Backspace, kCtrl}, {Qt::Key_Left}, {Qt::Key_Delete}},
        {kSeven, {Qt::Key_8}, kUndo, {Qt::Key_Z, kCtrl | Qt::ShiftModifier}, {Qt::Key_Left}},
        {{Qt::Key_End, Qt::ShiftModifier}, {Qt::Key_V, kCtrl}, kUndo, kUndo},
    };
    QGuiApplication::clipboard()->setText(QStringLiteral("4"));
    for (const auto& row : keys) {
        std::vector<QString> states;
        for (QLineEdit* edit : {static_cast<QLineEdit*>(field), plain}) {
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
    for (const auto& [text, read] : rows) {
        field->setText(text);
        EXPECT_EQ(reader->role(), QAccessible::EditableText);
        EXPECT_FALSE(reader->state().passwordEdit);
        EXPECT_EQ(reader->text(QAccessible::Value), read);
        EXPECT_EQ(reader->textInterface()->text(0, reader->textInterface()->characterCount()),
                  read);
        EXPECT_EQ(reader->textInterface()->cursorPosition(), read.size());  // the caret at the end
    }
    reader->editableTextInterface()->replaceText(0, reader->textInterface()->characterCount(), "7");
    EXPECT_EQ(heard, QStringLiteral("7"));
}

// --- Megabytes stay quick and small -------------------------------------------------------

TEST_F(Field, FourMegabytesPasteQuicklyWholeAndSmall) {
    const qsizetype bytes = 4'000'000;
    QGuiApplication::clipboard()->setText(QString(bytes, u'7'));
    const long before = PeakMemoryKiB();
    QElapsedTimer clock;
    clock.start();
    press(field, {{Qt::Key_V, kCtrl}});
    for (int i = 0; i < 20; ++i)
        field->repaint();
    // QLineEdit lays out and draws the whole line: seconds for each of these paints.
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(heard.size(), bytes);
    // QLineEdit's layout takes some 37 bytes per character, its undo records some 20 more.
    EXPECT_LT((PeakMemoryKiB() - before) * 1024, 20 * bytes);
}

}  // namespace
}  // namespace pelmora::qt
