#include "view/presenter.h"

#include "view/announcement.h"
#include "view/copy_text.h"
#include "view/failure_text.h"

namespace pelmora::view {

Presenter::Presenter(form::CalculatorForm& form, Surface& surface)
    : m_form(form), m_surface(surface) {
    m_form.LoadForm();
    m_form.setChangeListener([this](const form::FormChange& change) { showChange(change); });
    showAll();
}

Presenter::~Presenter() {
    m_form.setChangeListener({});
}

template <typename Write>
void Presenter::write(Write&& write) {
    const bool outer = m_writing;
    m_writing = true;
    write();
    m_writing = outer;
}

void Presenter::showAll() {
    for (int field = 0; field < form::kFieldCount; ++field) {
        showFieldText(field);
        write([&] { m_surface.showFieldLocked(field, m_form.state().field(field).locked); });
    }
    write([&] { m_surface.showSelectedVariant(m_form.state().selectedVariant); });
}

void Presenter::showChange(const form::FormChange& change) {
    switch (change.kind) {
        case form::FormChange::Kind::FieldText:
            // The control being edited shows the user's text already; writing it back
            // would move the caret.
            if (change.field != m_fieldBeingEdited) showFieldText(change.field);
            break;
        case form::FormChange::Kind::FieldLocked:
            write([&] {
                m_surface.showFieldLocked(change.field, m_form.state().field(change.field).locked);
            });
            break;
        case form::FormChange::Kind::SelectedVariant:
            write([&] { m_surface.showSelectedVariant(m_form.state().selectedVariant); });
            break;
    }
}

void Presenter::showFieldText(int field) {
    write([&] { m_surface.showFieldText(field, m_form.state().field(field).text); });
}

void Presenter::fieldTextChanged(int field, std::string_view utf8Text) {
    if (m_writing || field < 0 || field >= form::kFieldCount) return;
    m_fieldBeingEdited = field;
    const bool taken = m_form.TypeText(field, utf8Text);
    m_fieldBeingEdited = -1;
    if (!taken) showFieldText(field);  // refused: put the form's text back
}

void Presenter::optionSelected(int variant) {
    if (m_writing) return;
    m_form.OptionClick(variant);
    // The form may have refused (an index outside the group): show its selection again.
    write([&] { m_surface.showSelectedVariant(m_form.state().selectedVariant); });
}

void Presenter::buttonPressed(int index) {
    if (const auto failure = m_form.CommandClick(index)) {
        // A failed calculation leaves the selection as it was: the variant that failed.
        m_surface.reportFailure(FailureText(m_form.state().selectedVariant, *failure));
    } else if (index == form::kCalculateButton) {
        m_surface.announce(ResultAnnouncement(m_form.state()));
    }
}

std::string Presenter::copiedFieldText(int field) const {
    return CopiedFieldText(m_form.state(), field, m_form.numberFormat());
}

std::string Presenter::copiedRowText(std::string_view lineEnd) const {
    return CopiedRowText(m_form.state(), m_form.numberFormat(), lineEnd);
}

}  // namespace pelmora::view
