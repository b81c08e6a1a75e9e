#include "ui/pelmora_window.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleFactory>

#include "ui/control_table.h"
#include "ui/pelmora_icon.xpm"

namespace pelmora::ui {
namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect PixelRect(const ControlSpec& row) {
    return {row.left / kTwipsPerPixel, row.top / kTwipsPerPixel, row.width / kTwipsPerPixel,
            row.height / kTwipsPerPixel};
}

QColor ToColor(Rgb rgb) {
    return {rgb.red, rgb.green, rgb.blue};
}

// The classic Windows look: sunken text boxes and flat push buttons filled with their own
// colour. One instance serves every window; it lives as long as the application, so no
// widget outlives the style it was polished with.
QStyle* ClassicStyle() {
    static QStyle* const style = [] {
        QStyle* created = QStyleFactory::create(QStringLiteral("Windows"));
        if (created) created->setParent(qApp);
        return created;
    }();
    return style;
}

// Colours a widget's background in every colour group, so a disabled widget keeps it too.
void SetBackground(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(role != QPalette::Base);
}

const ControlSpec& FindControl(std::string_view array, int index) {
    const auto& table = ControlTable();
    return *std::find_if(table.begin(), table.end(), [&](const ControlSpec& row) {
        return row.array == array && row.index == index;
    });
}

}  // namespace

QString FailureMessage(cone::ConeFailure failure) {
    switch (failure) {
        case cone::ConeFailure::DivisionByZero:
            return QStringLiteral("Изчислението е невъзможно: деление на нула.");
        case cone::ConeFailure::NegativeSquareRoot:
            return QStringLiteral(
                "Изчислението е невъзможно: квадратен корен от отрицателно число.");
        case cone::ConeFailure::Overflow:
            return QStringLiteral("Изчислението е невъзможно: препълване.");
    }
    return {};
}

void ShowFailureMessage(QWidget* window, cone::ConeFailure failure) {
    QMessageBox::warning(window, QStringLiteral("Pelmora"), FailureMessage(failure));
}

PelmoraWindow::PelmoraWindow(form::CalculatorForm& form, FailureReporter reportFailure,
                             QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_form(form),
      m_reportFailure(std::move(reportFailure)) {
    setObjectName(QStringLiteral("Pelmora"));
    setWindowTitle(QStringLiteral("Pelmora"));
    setWindowIcon(QIcon(QPixmap(kPelmoraIcon)));
    setFixedSize(kClientWidth / kTwipsPerPixel, kClientHeight / kTwipsPerPixel);
    if (QStyle* style = ClassicStyle()) setStyle(style);
    SetBackground(this, QPalette::Window, ToColor(kWindowBackground));

    QFont font(QStringLiteral("Times New Roman"), 12);
    font.setStyleHint(QFont::Serif);
    setFont(font);

    buildControls();
    m_form.setChangeListener([this](const form::FormChange& change) { showChange(change); });
    m_form.LoadForm();
}

PelmoraWindow::~PelmoraWindow() {
    m_form.setChangeListener({});
}

void PelmoraWindow::buildControls() {
    m_options = new QButtonGroup(this);
    std::vector<std::pair<int, QWidget*>> tabChain;
    for (const ControlSpec& row : ControlTable()) {
        QWidget* widget = nullptr;
        const QString caption = FromUtf8(row.caption);
        switch (row.kind) {
            case ControlKind::Label: {
                auto* label = new QLabel(caption, this);
                label->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
                widget = label;
                break;
            }
            case ControlKind::OptionButton: {
                auto* option = new QRadioButton(caption, this);
                m_options->addButton(option, row.index);
                widget = option;
                break;
            }
            case ControlKind::PushButton: {
                auto* button = new QPushButton(caption, this);
                button->setAutoDefault(false);
                connect(button, &QPushButton::clicked, this,
                        [this, index = row.index] { commandClicked(index); });
                widget = button;
                break;
            }
            case ControlKind::ValueField: {
                const int field = row.index;
                auto* edit = new QLineEdit(this);
                edit->setMaxLength(std::numeric_limits<int>::max());  // Qt's default is 32,767
                const ControlSpec& option = FindControl("Option1", field / 4);
                const ControlSpec& column = FindControl("Label1", field % 4 + 1);
                edit->setAccessibleName(FromUtf8(option.caption) + QStringLiteral(", ") +
                                        FromUtf8(column.caption));
                if (m_form.state().field(field).computed) {
                    QFont bold = font();
                    bold.setBold(true);
                    edit->setFont(bold);
                    edit->setEnabled(false);
                    SetBackground(edit, QPalette::Base, ToColor(kComputedFieldBackground));
                    QPalette palette = edit->palette();
                    palette.setColor(QPalette::Disabled, QPalette::Text, ToColor(kDisabledText));
                    edit->setPalette(palette);
                }
                // textEdited, unlike textChanged, is not sent for setText: what the program
                // writes never comes back as typing.
                connect(edit, &QLineEdit::textEdited, this,
                        [this, field](const QString& text) { fieldEdited(field, text); });
                m_fields[static_cast<std::size_t>(field)] = edit;
                widget = edit;
                break;
            }
            case ControlKind::TaskStatement: {
                auto* statement = new QPlainTextEdit(this);
                statement->setPlainText(
                    FromUtf8(kTaskStatement).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
                statement->setReadOnly(true);
                statement->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                                   Qt::TextSelectableByKeyboard);
                statement->setTabChangesFocus(true);
                statement->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
                statement->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                statement->setLineWrapMode(QPlainTextEdit::WidgetWidth);
                statement->setFocus();
                widget = statement;
                break;
            }
        }
        widget->setObjectName(QString::fromStdString(ControlName(row)));
        widget->setGeometry(PixelRect(row));
        if (QStyle* style = ClassicStyle()) widget->setStyle(style);
        if (row.background) {
            // Buttons fill from the Button role, labels from Window: set both.
            SetBackground(widget, QPalette::Window, ToColor(*row.background));
            SetBackground(widget, QPalette::Button, ToColor(*row.background));
        }
        if (row.kind != ControlKind::Label) tabChain.emplace_back(row.tabIndex, widget);
    }
    m_options->button(0)->setChecked(true);
    connect(m_options, &QButtonGroup::idClicked, this, [this](int index) { optionClicked(index); });

    // Tab order follows the tab indexes. Qt itself skips disabled fields and all but the
    // checked button of the option group.
    std::sort(tabChain.begin(), tabChain.end());
    for (std::size_t i = 1; i < tabChain.size(); ++i) {
        QWidget::setTabOrder(tabChain[i - 1].second, tabChain[i].second);
    }
}

void PelmoraWindow::showChange(const form::FormChange& change) {
    switch (change.kind) {
        case form::FormChange::Kind::FieldText:
            showFieldText(change.field);
            break;
        case form::FormChange::Kind::FieldLocked:
            m_fields[static_cast<std::size_t>(change.field)]->setReadOnly(
                m_form.state().field(change.field).locked);
            break;
        case form::FormChange::Kind::SelectedVariant:
            m_options->button(m_form.state().selectedVariant)->setChecked(true);
            break;
    }
}

void PelmoraWindow::showFieldText(int field) {
    if (field == m_fieldBeingEdited) return;
    const QString text = FromUtf8(m_form.state().field(field).text);
    // setText moves the caret to the end; leave an unchanged field alone.
    if (m_fields[static_cast<std::size_t>(field)]->text() != text)
        m_fields[static_cast<std::size_t>(field)]->setText(text);
}

void PelmoraWindow::fieldEdited(int field, const QString& text) {
    m_fieldBeingEdited = field;
    const QByteArray utf8 = text.toUtf8();
    const bool taken = m_form.TypeText(
        field, std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    m_fieldBeingEdited = -1;
    if (!taken) showFieldText(field);  // a refused edit: show the form's text again
}

void PelmoraWindow::optionClicked(int index) {
    // A click on the button that is already selected leaves the grid as it is.
    if (index != m_form.state().selectedVariant) m_form.SelectVariant(index);
}

void PelmoraWindow::commandClicked(int index) {
    if (const auto failure = m_form.CommandClick(index); failure && m_reportFailure) {
        m_reportFailure(this, *failure);
    }
}

}  // namespace pelmora::ui
