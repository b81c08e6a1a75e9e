#pragma once

#include <vector>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "form/calculator_form.h"
#include "qt/pelmora_window.h"
#include "tests/scenarios/scenario_runner.h"
#include "view/control_table.h"

// Shows QStrings as text in test failures.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace pelmora::qt::testing {

inline QString NameOf(const view::ControlSpec& row) {
    return QString::fromStdString(view::ControlName(row));
}

inline QColor ToColor(view::Rgb rgb) {
    return {rgb.red, rgb.green, rgb.blue};
}

// A shown, active window over a fresh form, with failures recorded instead of shown.
class WindowTest : public ::testing::Test {
public:
    WindowTest()
        : form([] { return number::NumberFormat{}; }),
          window(form, [this](QWidget*, const QString& text) { reported.push_back(text); }) {
        window.show();
        // Nothing activates a new window on a bare display server: do it here.
        QApplication::setActiveWindow(&window);
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    template <typename Widget>
    Widget* control(const QString& name) {
        auto* widget = window.findChild<Widget*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    QLineEdit* field(int n) { return control<QLineEdit>(QStringLiteral("Text2_%1").arg(n)); }
    QRadioButton* option(int n) {
        return control<QRadioButton>(QStringLiteral("Option1_%1").arg(n));
    }
    QPushButton* command(int n) {
        return control<QPushButton>(QStringLiteral("Command1_%1").arg(n));
    }
    QString focusName() const {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                           : QStringLiteral("(none)");
    }
    std::vector<QString> texts() {
        std::vector<QString> all;
        for (int n = 0; n < form::kFieldCount; ++n)
            all.push_back(field(n)->text());
        return all;
    }
    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    void typeInto(int n, const QString& text) {
        click(field(n));
        QTest::keyClicks(field(n), text);
    }

    form::CalculatorForm form;
    std::vector<QString> reported;
    PelmoraWindow window;
};

// The scenario runner's adapter for the Qt window: real key and mouse events, the keys sent
// to the control that has the focus.
class QtScenarioWindow : public scenarios::Window {
public:
    explicit QtScenarioWindow(WindowTest& test) : m_test(test) {}

    void click(const std::string& control) override {
        m_test.click(m_test.control<QWidget>(QString::fromStdString(control)));
    }
    void typeKeys(std::string_view text) override {
        QTest::keyClicks(focused(),
                         QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
    void press(scenarios::Key key) override {
        static constexpr Qt::Key kKeys[] = {
            Qt::Key_Tab, Qt::Key_Backtab,   Qt::Key_Space, Qt::Key_Return, Qt::Key_Escape,
            Qt::Key_Up,  Qt::Key_Down,      Qt::Key_Left,  Qt::Key_Right,  Qt::Key_Home,
            Qt::Key_End, Qt::Key_Backspace, Qt::Key_Delete};
        QTest::keyClick(focused(), kKeys[static_cast<int>(key)],
                        key == scenarios::Key::ShiftTab ? Qt::ShiftModifier : Qt::NoModifier);
    }

    std::string fieldText(int field) override { return m_test.field(field)->text().toStdString(); }
    bool fieldEnabled(int field) override { return m_test.field(field)->isEnabled(); }
    bool fieldLocked(int field) override { return m_test.field(field)->isReadOnly(); }
    bool optionSelected(int option) override { return m_test.option(option)->isChecked(); }
    std::string focusName() override { return m_test.focusName().toStdString(); }
    bool statementIntact() override {
        const QString own = QString::fromUtf8(view::kTaskStatement.data(),
                                              static_cast<qsizetype>(view::kTaskStatement.size()));
        return m_test.control<QPlainTextEdit>(QStringLiteral("Text1_0"))->toPlainText() ==
               QString(own).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }
    std::vector<std::string> takeFailures(bool) override {
        std::vector<std::string> failures;
        for (const QString& text : m_test.reported)
            failures.push_back(text.toStdString());
        m_test.reported.clear();
        return failures;
    }

private:
    QWidget* focused() const {
        return QApplication::focusWidget() ? QApplication::focusWidget() : &m_test.window;
    }
    WindowTest& m_test;
};

}  // namespace pelmora::qt::testing
