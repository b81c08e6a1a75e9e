#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string_view>

#include <QWidget>

#include "form/calculator_form.h"
#include "view/control_table.h"
#include "view/presenter.h"

class QApplication;
class QContextMenuEvent;
class QLineEdit;
class QRadioButton;

namespace pelmora::qt {

// Draws the whole program in the classic look with that look's own standard colours (dark
// text on light backgrounds), whatever colour scheme the desktop has: the window, its
// scroll bars and the message box alike. Call once, before the window is built.
void ApplyClassicLook(QApplication& app);

// Shows `text` in a warning box titled "Pelmora" over `window`.
void ShowFailureMessage(QWidget* window, const QString& text);

// The program's one window, in Qt: the controls built from the control table, each change
// the user makes handed to the presenter, each change the presenter asks for shown. It
// decides nothing itself.
class PelmoraWindow : public QWidget, private view::Surface {
    Q_OBJECT

public:
    using FailureReporter = std::function<void(QWidget* window, const QString& text)>;

    // Loads the form (through the presenter) and shows its state. The form must outlive
    // the window.
    explicit PelmoraWindow(form::CalculatorForm& form,
                           FailureReporter reportFailure = ShowFailureMessage,
                           QWidget* parent = nullptr);

private:
    // A computed field is disabled, so Qt hands its context menu event to the window.
    void contextMenuEvent(QContextMenuEvent* event) override;

    QWidget* makeLabel(const view::ControlSpec& row);
    QWidget* makeOptionButton(const view::ControlSpec& row);
    QWidget* makePushButton(const view::ControlSpec& row);
    QWidget* makeValueField(const view::ControlSpec& row);
    QWidget* makeTaskStatement(const view::ControlSpec& row);

    void showFieldText(int field, std::string_view utf8Text) override;
    void showFieldLocked(int field, bool locked) override;
    void showSelectedVariant(int variant) override;
    void reportFailure(std::string_view utf8Text) override;
    void announce(std::string_view utf8Text) override;

    // Shows a value field's text in its own font again, once the user changes it.
    void showTypedText(int field);

    form::CalculatorForm& m_form;
    FailureReporter m_reportFailure;
    std::array<QLineEdit*, form::kFieldCount> m_fields{};
    std::array<QFont, form::kFieldCount> m_fieldFonts;  // each field's own, before any fitting
    bool m_showingText = false;  // a text change now is the program's write
    std::array<QRadioButton*, cone::kVariantCount> m_options{};
    QWidget* m_announcement = nullptr;  // what a screen reader says after a calculation
    std::optional<view::Presenter> m_presenter;
};

}  // namespace pelmora::qt
