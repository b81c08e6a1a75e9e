#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QButtonGroup>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "app/app_icon.h"
#include "form/calculator_form.h"
#include "tests/window_fixture.h"
#include "qt/font_choice.h"
#include "qt/pelmora_window.h"
#include "view/control_table.h"

namespace pelmora::qt {
namespace {

using view::ControlKind;
using view::ControlSpec;
using view::ControlTable;
using view::Rgb;
using namespace pelmora::qt::testing;

TEST_F(WindowTest, EveryControlIsAsTheTableSays) {
    for (const ControlSpec& row : ControlTable()) {
        SCOPED_TRACE(NameOf(row).toStdString());
        auto* widget = control<QWidget>(NameOf(row));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(),
                  QRect(row.left / 15, row.top / 15, row.width / 15, row.height / 15));
        EXPECT_EQ(widget->font().family(), WindowFontFamily());
        // A caption may take a smaller size to fit where the face is wider than Times.
        EXPECT_LE(widget->font().pointSizeF(), 12.0);
        if (row.caption.empty()) {
            EXPECT_EQ(widget->font().pointSizeF(), 12.0);
        }
        EXPECT_FALSE(widget->font().italic() || widget->font().underline() ||
                     widget->font().strikeOut());
        const QString caption =
            QString::fromUtf8(row.caption.data(), static_cast<qsizetype>(row.caption.size()));
        if (row.background) {
            const QPalette::ColorRole role =
                row.kind == ControlKind::Label ? QPalette::Window : QPalette::Button;
            EXPECT_EQ(widget->palette().color(role), ToColor(*row.background));
            EXPECT_TRUE(widget->autoFillBackground());
        }
        switch (row.kind) {
            case ControlKind::Label: {
                auto* label = qobject_cast<QLabel*>(widget);
                ASSERT_NE(label, nullptr);
                EXPECT_EQ(label->text(), caption);
                EXPECT_EQ(label->alignment(), Qt::AlignTop | Qt::AlignHCenter);
                EXPECT_EQ(label->frameShape(), QFrame::NoFrame);
                EXPECT_TRUE(label->accessibleName().isEmpty());
                break;
            }
            case ControlKind::OptionButton:
                EXPECT_EQ(qobject_cast<QRadioButton*>(widget)->text(), caption);
                EXPECT_EQ(qobject_cast<QRadioButton*>(widget)->isChecked(), row.index == 0);
                break;
            case ControlKind::PushButton: {
                auto* button = qobject_cast<QPushButton*>(widget);
                EXPECT_EQ(button->text(), caption);
                EXPECT_FALSE(button->isDefault() || button->autoDefault());
                break;
            }
            case ControlKind::ValueField: {
                auto* edit = qobject_cast<QLineEdit*>(widget);
                const form::FieldEntry& entry = form.state().field(row.index);
                EXPECT_TRUE(edit->text().isEmpty());
                EXPECT_EQ(edit->isEnabled(), !entry.computed);
                EXPECT_EQ(edit->font().bold(), entry.computed);
                EXPECT_EQ(edit->isReadOnly(), row.index >= 4);
                EXPECT_TRUE(edit->hasFrame());
                EXPECT_EQ(edit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
                if (entry.computed) {
                    for (const auto group : {QPalette::Active, QPalette::Disabled}) {
                        EXPECT_EQ(edit->palette().color(group, QPalette::Base),
                                  ToColor(view::kComputedFieldBackground));
                    }
                }
                break;
            }
            case ControlKind::TaskStatement: {
                auto* statement = qobject_cast<QPlainTextEdit*>(widget);
                ASSERT_NE(statement, nullptr);
                EXPECT_TRUE(statement->isReadOnly());
                EXPECT_EQ(statement->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
                EXPECT_EQ(statement->lineWrapMode(), QPlainTextEdit::WidgetWidth);
                EXPECT_EQ(statement->toPlainText(),
                          QString::fromUtf8(view::kTaskStatement.data(),
                                            static_cast<qsizetype>(view::kTaskStatement.size()))
                              .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
                break;
            }
        }
    }
}

TEST_F(WindowTest, FrameIsFixedWithTitleIconAndBackground) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Pelmora"));
    EXPECT_EQ(window.size(), QSize(454, 342));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_FALSE(window.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(window.windowIcon().availableSizes().size(), pelmora::app::kWindowIconSizes.size());
    EXPECT_EQ(window.palette().color(QPalette::Window), ToColor(view::kWindowBackground));
}

TEST_F(WindowTest, PixelsShowTheColours) {
    const QImage image = window.grab().toImage();
    ASSERT_EQ(image.size(), QSize(454, 342) * image.devicePixelRatio());
    const qreal ratio = image.devicePixelRatio();
    const auto at = [&](int x, int y) { return image.pixelColor(QPoint(x, y) * ratio); };
    const QColor base = QApplication::palette().color(QPalette::Active, QPalette::Base);
    struct Probe {
        const char* where;
        QPoint point;
        QColor expected;
    };
    const Probe probes[] = {
        {"window background", {3, 3}, ToColor(view::kWindowBackground)},
        {"window between fields and buttons", {364, 100}, ToColor(view::kWindowBackground)},
        {"caption label", {108, 50}, QColor(255, 192, 128)},
        {"title label", {70, 20}, QColor(255, 192, 128)},
        {"option button", {101, 82}, QColor(192, 255, 192)},
        {"Calculate button", {373, 61}, QColor(128, 255, 128)},
        {"Clear button", {373, 181}, QColor(255, 0, 0)},
        {"known field", {160, 78}, base},
        {"computed field", {290, 78}, ToColor(view::kComputedFieldBackground)},
        {"computed field in the last row", {120, 200}, ToColor(view::kComputedFieldBackground)},
    };
    for (const Probe& probe : probes) {
        EXPECT_EQ(at(probe.point.x(), probe.point.y()).name(), probe.expected.name())
            << probe.where;
    }
}

TEST_F(WindowTest, FocusStartsAtTheTopOfTheTaskStatement) {
    auto* statement = control<QPlainTextEdit>(QStringLiteral("Text1_0"));
    EXPECT_EQ(focusName(), QStringLiteral("Text1_0"));
    EXPECT_EQ(statement->textCursor().position(), 0);
    EXPECT_EQ(statement->verticalScrollBar()->value(), 0);
    QTest::keyClicks(statement, QStringLiteral("xyz"));
    QTest::keyClick(statement, Qt::Key_Delete);
    EXPECT_EQ(statement->toPlainText().left(4), QStringLiteral("Едно"));
    QTest::keyClick(statement, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_FALSE(statement->textCursor().selectedText().isEmpty());  // selectable
}

std::vector<QString> Names(std::initializer_list<const char*> names) {
    std::vector<QString> out;
    for (const char* name : names)
        out.push_back(QString::fromLatin1(name));
    return out;
}

TEST_F(WindowTest, TabFollowsTheTabIndexesAndSkipsWhatCannotTakeFocus) {
    const auto chain = [&] {
        std::vector<QString> names;
        for (int i = 0; i < 16; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            names.push_back(focusName());
        }
        return names;
    };
    // Only the selected option button is a tab stop, at its own tab index.
    EXPECT_EQ(chain(), Names({"Option1_0", "Text2_0", "Text2_1", "Text2_4", "Text2_6", "Text2_9",
                              "Text2_11", "Text2_13", "Text2_14", "Command1_0", "Command1_1",
                              "Text2_16", "Text2_19", "Text2_22", "Text2_23", "Text1_0"}));

    click(option(4));
    control<QPlainTextEdit>(QStringLiteral("Text1_0"))->setFocus();
    EXPECT_EQ(chain(), Names({"Text2_0", "Text2_1", "Text2_4", "Text2_6", "Text2_9", "Text2_11",
                              "Text2_13", "Text2_14", "Command1_0", "Command1_1", "Option1_4",
                              "Text2_16", "Text2_19", "Text2_22", "Text2_23", "Text1_0"}));
}

TEST_F(WindowTest, ArrowKeysMoveTheSelection) {
    typeInto(0, QStringLiteral("3"));
    option(0)->setFocus();
    QTest::keyClick(option(0), Qt::Key_Down);
    EXPECT_EQ(form.state().selectedVariant, 1);
    EXPECT_TRUE(option(1)->isChecked());
    EXPECT_EQ(focusName(), QStringLiteral("Option1_1"));
    EXPECT_TRUE(field(0)->text().isEmpty());
    EXPECT_FALSE(field(4)->isReadOnly());
    EXPECT_TRUE(field(0)->isReadOnly());
}

TEST_F(WindowTest, WorkedExampleThroughKeyboardAndMouse) {
    typeInto(0, QStringLiteral("3"));
    typeInto(1, QStringLiteral("5"));
    EXPECT_EQ(form.state().field(1).text, "5");
    click(command(0));
    EXPECT_EQ(texts()[0], QStringLiteral("3.000"));
    EXPECT_EQ(texts()[1], QStringLiteral("5.000"));
    EXPECT_EQ(texts()[2], QStringLiteral("47.124"));
    EXPECT_EQ(texts()[3], QStringLiteral("75.398"));
    EXPECT_TRUE(reported.empty());

    click(command(1));
    for (const QString& text : texts())
        EXPECT_TRUE(text.isEmpty());
    EXPECT_FALSE(field(0)->isReadOnly());
}

TEST_F(WindowTest, LockedAndComputedFieldsRefuseTyping) {
    typeInto(4, QStringLiteral("9"));  // locked at start
    typeInto(2, QStringLiteral("9"));  // computed, disabled
    QTest::keyClicks(field(3), QStringLiteral("9"));
    EXPECT_TRUE(field(4)->text().isEmpty());
    EXPECT_TRUE(field(2)->text().isEmpty());
    EXPECT_TRUE(field(3)->text().isEmpty());
    for (const int n : {2, 3, 4})
        EXPECT_TRUE(form.state().field(n).text.empty());
}

TEST_F(WindowTest, ChoosingAVariantEmptiesTheGridAndOpensItsRow) {
    typeInto(0, QStringLiteral("3"));
    typeInto(1, QStringLiteral("5"));
    click(command(0));
    click(option(5));
    EXPECT_EQ(form.state().selectedVariant, 5);
    for (const QString& text : texts())
        EXPECT_TRUE(text.isEmpty());
    for (int n = 0; n < form::kFieldCount; ++n) {
        const bool typable = field(n)->isEnabled() && !field(n)->isReadOnly();
        EXPECT_EQ(typable, n == 22 || n == 23) << n;
    }
}

TEST_F(WindowTest, ClickingTheSelectedOptionKeepsTheGrid) {
    typeInto(0, QStringLiteral("3"));
    click(option(0));
    EXPECT_EQ(field(0)->text(), QStringLiteral("3"));
    EXPECT_EQ(form.state().field(0).text, "3");
}

TEST_F(WindowTest, FailedCalculationIsReportedOnceAndChangesNothing) {
    click(option(1));
    typeInto(4, QStringLiteral("0"));
    typeInto(6, QStringLiteral("5"));
    const std::vector<QString> before = texts();
    click(command(0));
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], QStringLiteral("R не може да бъде 0. Въведете радиус, различен от нула."));
    EXPECT_EQ(texts(), before);
}

TEST_F(WindowTest, EnterAndEscapeDoNothingAndSpacePressesAButton) {
    typeInto(0, QStringLiteral("3"));
    QTest::keyClick(field(0), Qt::Key_Return);
    QTest::keyClick(field(0), Qt::Key_Escape);
    EXPECT_EQ(field(0)->text(), QStringLiteral("3"));
    EXPECT_TRUE(field(2)->text().isEmpty());

    command(0)->setFocus();
    QTest::keyClick(command(0), Qt::Key_Return);
    EXPECT_TRUE(field(2)->text().isEmpty());
    QTest::keyClick(command(0), Qt::Key_Space);
    EXPECT_EQ(field(2)->text(), QStringLiteral("0.000"));
}

TEST_F(WindowTest, FieldsTakeTextOfAnyLengthAndKind) {
    const QString longText(40000, QLatin1Char('7'));
    click(field(0));
    field(0)->insert(longText);  // as a paste would
    EXPECT_EQ(field(0)->text().size(), 40000);
    EXPECT_EQ(form.state().field(0).text.size(), 40000u);

    // QTest knows only Latin-1 keys: send what a Bulgarian keyboard sends, key by key.
    click(field(1));
    for (const QChar c : QStringLiteral("пет €")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field(1), &press);
    }
    EXPECT_EQ(form.state().field(1).text, "пет €");
    QTest::keyClick(field(1), Qt::Key_Backspace);
    EXPECT_EQ(form.state().field(1).text, "пет ");
}

TEST_F(WindowTest, FieldsAreNamedForScreenReaders) {
    EXPECT_EQ(field(0)->accessibleName(), QStringLiteral("Вариант 1, R"));
    EXPECT_EQ(field(13)->accessibleName(), QStringLiteral("Вариант 4, L"));
    EXPECT_EQ(field(23)->accessibleName(), QStringLiteral("Вариант 6, Sp"));
}

}  // namespace
}  // namespace pelmora::qt
