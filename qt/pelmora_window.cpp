#include "qt/pelmora_window.h"

#include <algorithm>
#include <utility>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionFrame>

#include "qt/font_choice.h"
#include "qt/value_field.h"
#include "view/copy_text.h"
#include "view/failure_text.h"
#include "view/text_fit.h"

namespace pelmora::qt {
namespace {

using view::ControlKind;
using view::ControlSpec;

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor ToColor(view::Rgb rgb) {
    return {rgb.red, rgb.green, rgb.blue};
}

// Qt scales logical pixels for the screen itself: the window is laid out at 96 dots per inch.
constexpr int kLogicalDpi = 96;

QRect ToRect(const view::PixelRect& rect) {
    return {rect.x, rect.y, rect.width, rect.height};
}

// The classic look: sunken text boxes, flat push buttons filled with their own colour.
// One instance for the whole program, owned by the application.
QStyle* ClassicStyle() {
    static QStyle* const style = [] {
        QStyle* created = QStyleFactory::create(QStringLiteral("Windows"));
        if (created) created->setParent(qApp);
        return created;
    }();
    return style;
}

// The classic look's own colours: dark text on light backgrounds on every desktop.
QPalette ClassicPalette() {
    QStyle* style = ClassicStyle();
    return style ? style->standardPalette() : QPalette(Qt::black, QColor(212, 208, 200));
}

// Colours `role` in every colour group, so a disabled widget keeps it too.
void SetColor(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

// The room a control keeps for itself beside its caption.
QMargins CaptionPadding(const QWidget* widget, ControlKind kind) {
    const QStyle* style = widget->style();
    switch (kind) {
        case ControlKind::OptionButton:
            return {style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, widget) +
                        style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, widget),
                    0, 0, 0};
        case ControlKind::PushButton: {
            const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, widget);
            const int margin =
                style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, widget) / 2 + frame;
            return {margin, frame, margin, frame};
        }
        default:
            return {};
    }
}

// The width a line edit has for its text: its contents without the frame, the text margins
// and the two pixels QLineEdit keeps on either side.
int TextRoom(const QLineEdit* edit) {
    QStyleOptionFrame panel;
    panel.initFrom(edit);
    panel.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, edit);
    const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &panel, edit);
    constexpr int kLineEditMargin = 2;
    return contents.marginsRemoved(edit->textMargins()).width() - 2 * kLineEditMargin;
}

// What a screen reader says after a calculation: a notification that shows for a moment,
// which screen readers speak wherever the focus is. It draws nothing.
class Announcement final : public QWidget {
    Q_OBJECT
public:
    explicit Announcement(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("Announcement"));
        setGeometry(0, 0, 0, 0);
        hide();
    }
};

// Screen readers announce the window itself as a window named by its title, and the
// announcement as a notification.
QAccessibleInterface* WindowAccessibility(const QString& className, QObject* object) {
    if (!object->isWidgetType()) return nullptr;
    if (className == QLatin1String(PelmoraWindow::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    if (className == QLatin1String(Announcement::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Notification);
    return nullptr;
}

}  // namespace

void ApplyClassicLook(QApplication& app) {
    if (QStyle* style = ClassicStyle()) QApplication::setStyle(style);
    QApplication::setPalette(ClassicPalette());
    (void)app;
}

void ShowFailureMessage(QWidget* window, const QString& text) {
    QMessageBox::warning(window, FromUtf8(view::kWindowTitle), text);
}

PelmoraWindow::PelmoraWindow(form::CalculatorForm& form, FailureReporter reportFailure,
                             QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_form(form),
      m_reportFailure(std::move(reportFailure)) {
    static const bool accessibilityInstalled = [] {
        QAccessible::installFactory(WindowAccessibility);
        return true;
    }();
    (void)accessibilityInstalled;

    setObjectName(FromUtf8(view::kWindowTitle));
    setWindowTitle(FromUtf8(view::kWindowTitle));
    setAccessibleName(FromUtf8(view::kWindowTitle));
    setFixedSize(ToRect(view::ClientRect(kLogicalDpi)).size());
    // The window fixes its own backgrounds, so it fixes the text colours that go with them:
    // its palette is the classic one whatever the application's is.
    setPalette(ClassicPalette());
    SetColor(this, QPalette::Window, ToColor(view::kWindowBackground));
    setAutoFillBackground(true);

    QFont font(WindowFontFamily(), view::kFontPoints);
    font.setStyleHint(QFont::Serif);
    setFont(font);

    static constexpr view::ControlMakers<PelmoraWindow, QWidget*> kMakers{
        &PelmoraWindow::makeLabel, &PelmoraWindow::makeOptionButton, &PelmoraWindow::makePushButton,
        &PelmoraWindow::makeValueField, &PelmoraWindow::makeTaskStatement};
    for (const ControlSpec& row : view::ControlTable()) {
        QWidget* widget = kMakers.make(*this, row);
        widget->setObjectName(QString::fromStdString(view::ControlName(row)));
        widget->setGeometry(ToRect(view::ControlRect(row, kLogicalDpi)));
        if (row.background) {
            // Labels fill from the Window role, buttons from Button: set both.
            SetColor(widget, QPalette::Window, ToColor(*row.background));
            SetColor(widget, QPalette::Button, ToColor(*row.background));
            widget->setAutoFillBackground(true);
        }
        if (!row.caption.empty()) {
            // Where no face with Times New Roman's metrics is installed, a wider one
            // must still show every caption whole.
            widget->setFont(FitFont(widget->font(), FromUtf8(row.caption), widget->size(),
                                    CaptionPadding(widget, row.kind)));
        }
    }

    // Tab order follows the tab indexes. Qt itself skips disabled fields; the option
    // buttons but the selected one are skipped by their focus policy.
    QWidget* previous = nullptr;
    for (const ControlSpec* row : view::TabChain()) {
        auto* widget = findChild<QWidget*>(QString::fromStdString(view::ControlName(*row)));
        if (previous) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }

    m_announcement = new Announcement(this);
    m_presenter.emplace(m_form, static_cast<view::Surface&>(*this));

    auto* copyRow = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), this);
    connect(copyRow, &QShortcut::activated, this, [this] {
        QGuiApplication::clipboard()->setText(QString::fromStdString(m_presenter->copiedRowText()));
    });
}

void PelmoraWindow::contextMenuEvent(QContextMenuEvent* event) {
    const auto found = std::find(m_fields.begin(), m_fields.end(), childAt(event->pos()));
    // An empty menu would open as nothing and wait for a click.
    if (found == m_fields.end() || (*found)->actions().isEmpty()) return;
    QMenu menu(this);
    menu.addActions((*found)->actions());
    menu.exec(event->globalPos());
}

QWidget* PelmoraWindow::makeLabel(const ControlSpec& row) {
    auto* label = new QLabel(FromUtf8(row.caption), this);
    label->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    return label;
}

QWidget* PelmoraWindow::makeOptionButton(const ControlSpec& row) {
    auto* option = new QRadioButton(FromUtf8(row.caption), this);
    option->setAutoExclusive(true);
    m_options[static_cast<std::size_t>(row.index)] = option;
    // toggled, unlike clicked, is sent for every way the selection can move: a click, the
    // arrow keys, a screen reader's Toggle action.
    connect(option, &QRadioButton::toggled, this, [this, index = row.index](bool checked) {
        if (checked) m_presenter->optionSelected(index);
    });
    return option;
}

QWidget* PelmoraWindow::makePushButton(const ControlSpec& row) {
    auto* button = new QPushButton(FromUtf8(row.caption), this);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this,
            [this, index = row.index] { m_presenter->buttonPressed(index); });
    return button;
}

QWidget* PelmoraWindow::makeValueField(const ControlSpec& row) {
    const int field = row.index;
    // Takes text of any length, and stays responsive with megabytes of it.
    auto* edit = new ValueField(this);
    edit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    edit->setAccessibleName(QString::fromStdString(view::AccessibleName(field)));
    // «Копирай» ends the field's context menu; a computed one's menu is the window's.
    auto* copy = new QAction(FromUtf8(view::kCopyCaption), edit);
    connect(copy, &QAction::triggered, this, [this, field] {
        QGuiApplication::clipboard()->setText(
            QString::fromStdString(m_presenter->copiedFieldText(field)));
    });
    edit->addAction(copy);
    if (row.computed) {
        QFont bold = font();
        bold.setBold(true);
        edit->setFont(bold);
        edit->setEnabled(false);
        SetColor(edit, QPalette::Base, ToColor(view::kComputedFieldBackground));
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Disabled, QPalette::Text, ToColor(view::kDisabledText));
        edit->setPalette(palette);
    }
    m_fieldFonts[static_cast<std::size_t>(field)] = edit->font();
    // textChanged, unlike textEdited, is sent for every way the text can change: typing,
    // an input method, a screen reader's edit. The presenter tells its own writes apart.
    connect(edit, &QLineEdit::textChanged, this, [this, field](const QString& text) {
        if (!m_showingText) showTypedText(field);
        const QByteArray utf8 = text.toUtf8();
        m_presenter->fieldTextChanged(
            field, std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    });
    m_fields[static_cast<std::size_t>(field)] = edit;
    return edit;
}

QWidget* PelmoraWindow::makeTaskStatement(const ControlSpec&) {
    auto* statement = new QPlainTextEdit(this);
    statement->setPlainText(
        FromUtf8(view::kTaskStatement).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    statement->setReadOnly(true);
    statement->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    statement->setTabChangesFocus(true);
    statement->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    statement->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    statement->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    statement->setAccessibleName(FromUtf8(view::kTaskStatementName));
    statement->setFocus();
    return statement;
}

void PelmoraWindow::showFieldText(int field, std::string_view utf8Text) {
    QLineEdit* edit = m_fields[static_cast<std::size_t>(field)];
    const QString text = FromUtf8(utf8Text);
    // The program's text is shown whole: in a smaller size of the field's font where it is
    // too wide, cut on the right, with the whole text as the tooltip, only past the smallest.
    const QFont& own = m_fieldFonts[static_cast<std::size_t>(field)];
    const int room = TextRoom(edit);
    QFont shown = own;
    const auto fits = [&](double points) {
        shown.setPointSizeF(points);
        // QLineEdit scrolls a text that leaves it less than a pixel for the caret.
        return QFontMetricsF(shown).horizontalAdvance(text) + 1 <= room;
    };
    const auto points = view::FittingPoints(own.pointSizeF(), fits);
    shown.setPointSizeF(points.value_or(view::kSmallestFitPoints));
    const QScopedValueRollback showing(m_showingText, true);
    edit->setFont(shown);
    edit->setToolTip(points ? QString() : text);
    edit->setText(text);
    // setText leaves the caret at the end, which shows the end of a text wider than the
    // field: show the program's text from its first character, as a number is read.
    edit->setCursorPosition(0);
}

void PelmoraWindow::showTypedText(int field) {
    QLineEdit* edit = m_fields[static_cast<std::size_t>(field)];
    edit->setFont(m_fieldFonts[static_cast<std::size_t>(field)]);
    edit->setToolTip({});
}

void PelmoraWindow::showFieldLocked(int field, bool locked) {
    m_fields[static_cast<std::size_t>(field)]->setReadOnly(locked);
}

void PelmoraWindow::showSelectedVariant(int variant) {
    m_options[static_cast<std::size_t>(variant)]->setChecked(true);
    // Qt skips the group's unchecked buttons only when Tab comes from before the group in
    // the chain; where the option buttons are spread over the chain, only the selected one
    // may take the focus from Tab.
    for (QRadioButton* option : m_options)
        option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

void PelmoraWindow::reportFailure(std::string_view utf8Text) {
    if (m_reportFailure) m_reportFailure(this, FromUtf8(utf8Text));
}

void PelmoraWindow::announce(std::string_view utf8Text) {
    // Shown again, it is announced again, also with the same text.
    m_announcement->hide();
    m_announcement->setAccessibleName(FromUtf8(utf8Text));
    m_announcement->show();
}

}  // namespace pelmora::qt

#include "pelmora_window.moc"
