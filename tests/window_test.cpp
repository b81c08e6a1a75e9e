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
#include "qt/font_choice.h"
#include "qt/pelmora_window.h"
#include "tests/window_fixture.h"
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
                EXPECT_EQ(edit->font().bold(), entry.computed);
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

TEST_F(WindowTest, TaskStatementOpensAtItsTopAndCanBeSelected) {
    auto* statement = control<QPlainTextEdit>(QStringLiteral("Text1_0"));
    EXPECT_EQ(statement->textCursor().position(), 0);
    EXPECT_EQ(statement->verticalScrollBar()->value(), 0);
    QTest::keyClick(statement, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_FALSE(statement->textCursor().selectedText().isEmpty());  // selectable
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
