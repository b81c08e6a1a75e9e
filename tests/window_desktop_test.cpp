// The window on real desktops: dark colour schemes, long results, screen readers, the caret.
#include <algorithm>
#include <cmath>
#include <functional>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleEditableTextInterface>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStyle>

#include "qt/font_choice.h"
#include "tests/window_fixture.h"

namespace pelmora::qt {
namespace {

using namespace pelmora::qt::testing;

// WCAG relative luminance and contrast ratio.
double Luminance(const QColor& color) {
    const auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) +
           0.0722 * linear(color.blueF());
}
double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The desktop's scheme as Qt's GTK and KDE platform themes hand it over: light text on dark.
class DarkDesktop {
public:
    DarkDesktop() : m_saved(QApplication::palette()) {
        QPalette dark(QColor(0xee, 0xee, 0xee), QColor(0x35, 0x35, 0x35));
        for (const auto role : {QPalette::Base, QPalette::AlternateBase})
            dark.setColor(role, QColor(0x1e, 0x1e, 0x1e));
        for (const auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
            dark.setColor(role, QColor(0xee, 0xee, 0xee));
        QApplication::setPalette(dark);
    }
    ~DarkDesktop() { QApplication::setPalette(m_saved); }
    DarkDesktop(const DarkDesktop&) = delete;
    DarkDesktop& operator=(const DarkDesktop&) = delete;

private:
    QPalette m_saved;
};

class DarkDesktopWindowTest : public ::testing::Test {
protected:
    DarkDesktop desktop;
    form::CalculatorForm form{{}};
    PelmoraWindow window{form, {}};
};

// The text drawn on each coloured control is its darkest pixel: it must stand out from the
// control's own background as clearly as dark text does.
TEST_F(DarkDesktopWindowTest, CaptionsStayDarkOnTheirLightBackgrounds) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (const view::ControlSpec& row : view::ControlTable()) {
        if (!row.background || row.caption.empty()) continue;
        SCOPED_TRACE(NameOf(row).toStdString());
        QWidget* widget = window.findChild<QWidget*>(NameOf(row));
        ASSERT_NE(widget, nullptr);
        const QImage image = widget->grab().toImage();
        QColor darkest = Qt::white;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (Luminance(pixel) < Luminance(darkest)) darkest = pixel;
            }
        }
        EXPECT_GE(Contrast(darkest, ToColor(*row.background)), 4.5) << darkest.name().toStdString();
    }
}

TEST_F(DarkDesktopWindowTest, EnterableFieldsStayLightWithDarkText) {
    auto* edit = window.findChild<QLineEdit*>(QStringLiteral("Text2_0"));
    ASSERT_NE(edit, nullptr);
    EXPECT_GT(Luminance(edit->palette().color(QPalette::Base)), 0.8);
    EXPECT_LT(Luminance(edit->palette().color(QPalette::Text)), 0.05);
}

// The classic look is the application's, so the scroll bars and the message box share it.
TEST(ClassicLook, IsSetOnceForTheWholeProgram) {
    EXPECT_EQ(QApplication::style()->name(), QStringLiteral("windows"));
    EXPECT_LT(Luminance(QApplication::palette().color(QPalette::WindowText)), 0.05);
    form::CalculatorForm form({});
    PelmoraWindow window(form, {});
    for (QWidget* child : window.findChildren<QWidget*>())
        EXPECT_EQ(child->style(), QApplication::style()) << child->objectName().toStdString();
}

// With Times New Roman's metrics every caption keeps the design's 12 points; with a wider
// face (the same test runs without those faces) each is made to fit its control.
TEST_F(WindowTest, EveryCaptionFitsItsControl) {
    const bool timesMetrics = !MetricCompatibleFamily(QFontDatabase::families()).isEmpty();
    for (const view::ControlSpec& row : view::ControlTable()) {
        if (row.caption.empty()) continue;
        SCOPED_TRACE(NameOf(row).toStdString());
        QWidget* widget = control<QWidget>(NameOf(row));
        const QString caption =
            QString::fromUtf8(row.caption.data(), static_cast<qsizetype>(row.caption.size()));
        EXPECT_LE(widget->fontMetrics().horizontalAdvance(caption), widget->width());
        EXPECT_LE(widget->fontMetrics().height(), widget->height());
        if (timesMetrics) {
            EXPECT_EQ(widget->font().pointSizeF(), 12.0);
        }
    }
}

// Runs `seen` for each event of `type` that reaches `object`, while it lives.
class EventWatch final : public QObject {
public:
    EventWatch(QObject* object, QEvent::Type type, std::function<void()> seen)
        : m_type(type), m_seen(std::move(seen)) {
        object->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == m_type) m_seen();
        return false;
    }

private:
    QEvent::Type m_type;
    std::function<void()> m_seen;
};

QAccessibleInterface* Accessible(QObject* object) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
    EXPECT_NE(accessible, nullptr);
    return accessible;
}

// The program's text is shown whole, from its first character: in a smaller font where the
// field's own is too wide, cut with a tooltip only past 7 points; typing brings the field's
// own font back.
TEST_F(WindowTest, ResultsAreShownWholeInASmallerFont) {
    const auto inner = [this](int n) {
        return field(n)->contentsRect().width() -
               2 * field(n)->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - 4;
    };
    typeInto(0, QStringLiteral("1000"));
    typeInto(1, QStringLiteral("2000"));
    click(command(0));
    ASSERT_EQ(field(2)->text(), QStringLiteral("6,283,185.307"));
    for (const int n : {0, 2, 3}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(field(n)->cursorPosition(), 0);
        EXPECT_TRUE(field(n)->toolTip().isEmpty());
        EXPECT_GE(field(n)->font().pointSizeF(), 7.0);
        EXPECT_LE(QFontMetricsF(field(n)->font()).horizontalAdvance(field(n)->text()), inner(n));
    }
    EXPECT_LT(field(2)->font().pointSizeF(), 12.0);
    EXPECT_TRUE(field(2)->font().bold());

    click(field(0));
    QTest::keyClick(field(0), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field(0), QStringLiteral("1e15"));
    click(command(0));
    ASSERT_EQ(field(0)->text(), QStringLiteral("1,000,000,000,000,000.000"));
    EXPECT_EQ(field(0)->font().pointSizeF(), 7.0);
    EXPECT_EQ(field(0)->toolTip(), field(0)->text());
    QTest::keyClick(field(0), Qt::Key_End);
    QTest::keyClick(field(0), Qt::Key_Backspace);
    EXPECT_EQ(field(0)->font().pointSizeF(), 12.0);
    EXPECT_TRUE(field(0)->toolTip().isEmpty());
}

// After a calculation that succeeded, and only then, a notification shows for screen
// readers, named by the results: showing it is what the accessibility bridge reports (Orca
// speaks it: scripts/orca-log.sh).
TEST_F(WindowTest, ResultsAreAnnouncedToScreenReaders) {
    auto* notification = control<QWidget>(QStringLiteral("Announcement"));
    ASSERT_NE(notification, nullptr);
    EXPECT_EQ(Accessible(notification)->role(), QAccessible::Notification);
    QStringList announced;
    EventWatch shown(notification, QEvent::Show, [&] {
        announced << Accessible(notification)->text(QAccessible::Name);
    });
    typeInto(0, QStringLiteral("3"));
    typeInto(1, QStringLiteral("5"));
    click(command(0));
    click(command(0));
    click(option(1));
    click(command(0));  // fails: R is 0
    EXPECT_EQ(announced, QStringList(2, QStringLiteral("So 47.124, Sp 75.398")));
    EXPECT_EQ(reported.size(), 1u);
    // A computed field, disabled, still gives its value under its name.
    click(option(0));
    typeInto(0, QStringLiteral("3"));
    click(command(0));
    EXPECT_EQ(Accessible(field(2))->text(QAccessible::Name), QStringLiteral("Вариант 1, So"));
    EXPECT_EQ(Accessible(field(2))->text(QAccessible::Value), QStringLiteral("0.000"));
}

TEST_F(WindowTest, ComputedResultsAreGreyYetReadable) {
    const QColor text = field(2)->palette().color(QPalette::Disabled, QPalette::Text);
    EXPECT_EQ(text, ToColor(view::kDisabledText));
    EXPECT_GE(Contrast(text, ToColor(view::kComputedFieldBackground)), 4.5);
    EXPECT_GT(Luminance(text), Luminance(field(0)->palette().color(QPalette::Text)));
}

// A pasted megabyte keeps the window responsive: the whole text reaches the form, and
// repainting the focused field (each caret blink does) does not lay out the whole line.
TEST_F(WindowTest, AMegabytePasteKeepsTheWindowResponsive) {
    click(field(0));
    field(0)->insert(QString(2'000'000, QLatin1Char('0')) + QStringLiteral("5"));
    ASSERT_EQ(form.state().field(0).text.size(), 2'000'001u);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 10; ++i)
        field(0)->repaint();
    click(field(1));
    EXPECT_LT(timer.elapsed(), 2000);
    click(command(0));
    EXPECT_EQ(field(0)->text(), QStringLiteral("5.000"));
}

TEST_F(WindowTest, TheCaretStaysWhereTheUserPutsIt) {
    QtScenarioWindow adapter(*this);
    scenarios::RunScenario(
        scenarios::FindScenario(PELMORA_SCENARIOS, "caret_stays_where_the_user_puts_it"), adapter);
    EXPECT_EQ(field(0)->cursorPosition(), 2);
}


TEST_F(WindowTest, WindowAndTaskStatementAreNamedForScreenReaders) {
    EXPECT_EQ(Accessible(&window)->role(), QAccessible::Window);
    EXPECT_EQ(Accessible(&window)->text(QAccessible::Name), QStringLiteral("Pelmora"));
    auto* statement = control<QPlainTextEdit>(QStringLiteral("Text1_0"));
    EXPECT_FALSE(Accessible(statement)->text(QAccessible::Name).isEmpty());
}

TEST_F(WindowTest, ScreenReaderToggleSelectsTheVariant) {
    QAccessibleActionInterface* actions = Accessible(option(3))->actionInterface();
    ASSERT_NE(actions, nullptr);
    typeInto(0, QStringLiteral("3"));
    actions->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(option(3)->isChecked());
    EXPECT_EQ(form.state().selectedVariant, 3);
    EXPECT_TRUE(field(0)->text().isEmpty());
    EXPECT_FALSE(field(13)->isReadOnly());
    EXPECT_TRUE(field(0)->isReadOnly());
}

// Text set through the accessibility edit interfaces reaches the form where typing is
// allowed, and is put back where it is not.
TEST_F(WindowTest, ScreenReaderEditsGoThroughTheForm) {
    struct Edit {
        int field;
        QString expected;  // in the widget and the form after the edit
    };
    const Edit edits[] = {{0, QStringLiteral("42")}, {2, QString()}, {4, QString()}};
    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.field);
        QAccessibleInterface* accessible = Accessible(field(edit.field));
        accessible->setText(QAccessible::Value, QStringLiteral("42"));
        EXPECT_EQ(field(edit.field)->text(), edit.expected);
        EXPECT_EQ(QString::fromStdString(form.state().field(edit.field).text), edit.expected);
        QAccessibleEditableTextInterface* editable = accessible->editableTextInterface();
        ASSERT_NE(editable, nullptr);
        editable->insertText(0, QStringLiteral("1"));
        EXPECT_EQ(QString::fromStdString(form.state().field(edit.field).text),
                  field(edit.field)->text());
    }
    EXPECT_EQ(field(0)->text(), QStringLiteral("142"));
    click(command(0));
    EXPECT_EQ(field(0)->text(), QStringLiteral("142.000"));
}

}  // namespace
}  // namespace pelmora::qt
