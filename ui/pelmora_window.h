#pragma once

#include <array>
#include <functional>

#include <QWidget>

#include "cone/cone.h"
#include "form/calculator_form.h"

class QButtonGroup;
class QLineEdit;

namespace pelmora::ui {

// The Bulgarian message that names why a calculation failed.
QString FailureMessage(cone::ConeFailure failure);

// Shows FailureMessage in a warning box titled "Pelmora" over `window`.
void ShowFailureMessage(QWidget* window, cone::ConeFailure failure);

// The program's one window: a view of a CalculatorForm and the source of its events. It
// builds its controls from the control table, forwards each user action to the form and
// shows every change of the form's state as it happens; it decides nothing itself.
class PelmoraWindow : public QWidget {
public:
    using FailureReporter = std::function<void(QWidget* window, cone::ConeFailure)>;

    // Runs form.LoadForm(). The form must outlive the window.
    explicit PelmoraWindow(form::CalculatorForm& form,
                           FailureReporter reportFailure = ShowFailureMessage,
                           QWidget* parent = nullptr);
    ~PelmoraWindow() override;

private:
    void buildControls();
    void showChange(const form::FormChange& change);
    void showFieldText(int field);
    void fieldEdited(int field, const QString& text);
    void optionClicked(int index);
    void commandClicked(int index);

    form::CalculatorForm& m_form;
    FailureReporter m_reportFailure;
    std::array<QLineEdit*, form::kFieldCount> m_fields{};
    QButtonGroup* m_options = nullptr;
    int m_fieldBeingEdited = -1;  // its widget already shows the user's text
};

}  // namespace pelmora::ui
