#pragma once

#include <vector>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "form/calculator_form.h"
#include "qt/pelmora_window.h"
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
protected:
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

}  // namespace pelmora::qt::testing
