#pragma once

#include <string>
#include <string_view>

#include "form/calculator_form.h"

namespace pelmora::view {

// What a window must be able to show. Each toolkit implements it over its own controls;
// the presenter calls it whenever the form's state changes.
class Surface {
public:
    virtual ~Surface() = default;

    // Shows `utf8Text` in value field `field`, from its first character.
    virtual void showFieldText(int field, std::string_view utf8Text) = 0;
    // Makes value field `field` refuse (locked) or accept the user's changes.
    virtual void showFieldLocked(int field, bool locked) = 0;
    // Marks option button `variant` as the selected one of the group.
    virtual void showSelectedVariant(int variant) = 0;
    // Tells the user, in Bulgarian, why the calculation failed.
    virtual void reportFailure(std::string_view utf8Text) = 0;
    // Has a screen reader say `utf8Text` once, politely, wherever the focus is: the results
    // of a calculation that succeeded.
    virtual void announce(std::string_view utf8Text) = 0;
};

// Binds a form to a surface: every change of the form is shown at once, and every user
// action the toolkit reports goes to the form. The toolkit reports each change of a field's
// text or of the option selection, whatever caused it (keyboard, mouse, input method,
// accessibility); the presenter tells the user's changes from the echo of its own writes,
// and puts back what the form refused, so the surface and the form never disagree.
class Presenter {
public:
    // Runs form.LoadForm() and shows the whole state on `surface`. Both must outlive the
    // presenter.
    Presenter(form::CalculatorForm& form, Surface& surface);
    ~Presenter();
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;

    // The text of value field `field` is now `utf8Text` on the surface.
    void fieldTextChanged(int field, std::string_view utf8Text);
    // Option button `variant` became the selected one on the surface.
    void optionSelected(int variant);
    // Push button `index` was pressed (clicked, or the space bar on it).
    void buttonPressed(int index);

    // What copying value field `field`, or the selected row, puts on the clipboard, under the
    // user's number settings as they stand now.
    std::string copiedFieldText(int field) const;
    std::string copiedRowText(std::string_view lineEnd = "\n") const;

private:
    void showChange(const form::FormChange& change);
    void showFieldText(int field);
    void showAll();

    // Runs one write to the surface; what the toolkit reports meanwhile is its echo.
    template <typename Write>
    void write(Write&& write);

    form::CalculatorForm& m_form;
    Surface& m_surface;
    bool m_writing = false;       // a change reported now is the presenter's own
    int m_fieldBeingEdited = -1;  // its control already shows the user's text
};

}  // namespace pelmora::view
