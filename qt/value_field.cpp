#include "qt/value_field.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <utility>

#include <QAccessibleWidget>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QValidator>

namespace pelmora::qt {
namespace {

// A long text shows at most this many first characters, cut to the field's width...
constexpr int kShownCharacters = 256;
// ...and is read to assistive technology as its length and this many first characters.
constexpr int kReadCharacters = 20;

// Whether a key types its text, as QLineEdit decides it: Ctrl and Ctrl+Shift type nothing.
bool Types(const QKeyEvent* event) {
    const QString typed = event->text();
    return !typed.isEmpty() && QChar::isPrint(typed.toUcs4().constFirst()) &&
           (event->modifiers() & ~Qt::ShiftModifier) != Qt::ControlModifier;
}

}  // namespace

// QLineEdit asks its validator about every new text after the change and before it lays the
// text out: the one place to keep it from laying out megabytes.
class ValueField::LengthWatch final : public QValidator {
public:
    explicit LengthWatch(ValueField* field) : QValidator(field), m_field(field) {}

    State validate(QString& text, int&) const override {
        m_field->followLength(text.size());
        return Acceptable;
    }

private:
    ValueField* m_field;
};

// The field as assistive technology sees it: what QLineEdit's own interface gives, over
// accessibleText(). QLineEdit's own would show a long text, which it holds in NoEcho mode, as
// an empty password field.
class ValueField::Accessible final : public QAccessibleWidget,
                                     public QAccessibleTextInterface,
                                     public QAccessibleEditableTextInterface {
public:
    explicit Accessible(ValueField* field) : QAccessibleWidget(field, QAccessible::EditableText) {}

    static QAccessibleInterface* create(const QString& className, QObject* object) {
        if (className != QLatin1StringView(ValueField::staticMetaObject.className()))
            return nullptr;
        return new Accessible(static_cast<ValueField*>(object));
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = field()->isReadOnly();
        state.editable = !state.readOnly;
        state.selectableText = true;
        return state;
    }
    QString text(QAccessible::Text type) const override {
        return type == QAccessible::Value ? field()->accessibleText()
                                          : QAccessibleWidget::text(type);
    }
    void setText(QAccessible::Text type, const QString& text) override {
        type == QAccessible::Value ? field()->setText(text)
                                   : QAccessibleWidget::setText(type, text);
    }

    QString text(int start, int end) const override {
        return field()->accessibleText().mid(start, end - start);
    }
    int characterCount() const override {
        return static_cast<int>(field()->accessibleText().size());
    }
    int cursorPosition() const override { return toReader(field()->cursorPosition()); }
    void setCursorPosition(int offset) override { field()->setCursorPosition(fromReader(offset)); }
    int selectionCount() const override { return field()->hasSelectedText() ? 1 : 0; }
    void selection(int index, int* start, int* end) const override {
        const bool selected = index == 0 && field()->hasSelectedText();
        *start = selected ? toReader(field()->selectionStart()) : 0;
        *end = selected ? toReader(field()->selectionEnd()) : 0;
    }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index == 0) field()->deselect();
    }
    void setSelection(int index, int start, int end) override {
        if (index == 0)
            field()->setSelection(fromReader(start), fromReader(end) - fromReader(start));
    }
    QRect characterRect(int offset) const override {
        // From the caret, which QLineEdit places: a character's box in a short text.
        const ValueField* edit = field();
        const QString content = edit->text();
        if (edit->m_long || offset < 0 || offset >= content.size()) return {};
        const QFontMetrics metrics = edit->fontMetrics();
        const int caret = edit->cursorPosition();
        const QRect caretBox = edit->cursorRect();
        const int x =
            caretBox.center().x() +
            (offset >= caret ? metrics.horizontalAdvance(content.mid(caret, offset - caret))
                             : -metrics.horizontalAdvance(content.mid(offset, caret - offset)));
        return {edit->mapToGlobal(QPoint(x, caretBox.top())),
                QSize(metrics.horizontalAdvance(content.at(offset)), metrics.height())};
    }
    int offsetAtPoint(const QPoint& point) const override {
        return toReader(field()->cursorPositionAt(field()->mapFromGlobal(point)));
    }
    void scrollToSubstring(int start, int) override { setCursorPosition(start); }
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }

    void deleteText(int start, int end) override { replaceText(start, end, {}); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override {
        setSelection(0, start, end);
        field()->replaceSelection(text);
    }

private:
    ValueField* field() const { return static_cast<ValueField*>(widget()); }
    // Offsets in accessibleText(): past its end is past the end of a long text.
    int toReader(int position) const { return std::min(position, characterCount()); }
    int fromReader(int offset) const {
        return offset < characterCount() ? offset : static_cast<int>(field()->text().size());
    }
};

ValueField::ValueField(QWidget* parent, int longText) : QLineEdit(parent), m_longText(longText) {
    [[maybe_unused]] static const bool accessible =
        (QAccessible::installFactory(&Accessible::create), true);
    setMaxLength(std::numeric_limits<int>::max());  // Qt's default is 32,767
    setValidator(new LengthWatch(this));
    // The program's own text (setText leaves the field unmodified) ends every undo, as it ends
    // QLineEdit's.
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!isModified()) m_undo.reset();
    });
}

void ValueField::followLength(qsizetype length) {
    if ((length > m_longText) == m_long) return;
    m_long = !m_long;
    // QLineEdit lays out only what it displays. Displaying nothing also marks the text hidden
    // for input methods; it is not, so the hints are kept.
    const Qt::InputMethodHints hints = inputMethodHints();
    setEchoMode(m_long ? QLineEdit::NoEcho : QLineEdit::Normal);
    setInputMethodHints(hints);
}

QString ValueField::accessibleText() const {
    if (!m_long) return text();
    QString first = text().left(kReadCharacters);
    if (first.back().isHighSurrogate()) first.chop(1);
    return QStringLiteral("Дълъг текст от %1 знака: %2…")
        .arg(QString::number(text().size()), first);
}

bool ValueField::longEdit(qsizetype count) const {
    return m_long || text().size() - selectionLength() + count > m_longText;
}

void ValueField::replaceSelection(const QString& with) {
    if (isReadOnly()) return;
    if (!longEdit(with.size())) {
        insert(with);  // QLineEdit's own edit, with its undo records
        return;
    }
    const QString before = text();
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int removed = selectionLength();
    // All of it replaced: the new text shares the clipboard's copy.
    editWhole(
        removed == before.size() ? with : before.left(start) + with + before.mid(start + removed),
        start + static_cast<int>(with.size()));
}

void ValueField::editWhole(QString after, int cursor) {
    if (isReadOnly()) return;
    QString before = text();
    setText(after);  // no undo records; its textChanged forgets the undo step, set again below
    setCursorPosition(cursor);
    setModified(true);
    m_undo = std::move(before);
    emit textEdited(text());
}

void ValueField::undoEdit() {
    if (isReadOnly()) return;
    if (!m_long && isUndoAvailable()) {
        undo();
    } else if (m_undo) {
        editWhole(*m_undo, static_cast<int>(m_undo->size()));
    }
}

bool ValueField::canUndo() const {
    return !isReadOnly() && ((!m_long && isUndoAvailable()) || m_undo);
}

void ValueField::copyWhole() const {
    // QLineEdit's copy() refuses a text in NoEcho mode.
    if (hasSelectedText()) QGuiApplication::clipboard()->setText(selectedText());
}

void ValueField::cutWhole() {
    if (isReadOnly() || !hasSelectedText()) return;
    copyWhole();
    replaceSelection({});
}

void ValueField::keyPressEvent(QKeyEvent* event) {
    const bool pasting = event->matches(QKeySequence::Paste);
    const bool typing = Types(event);
    const QString inserted = pasting  ? QGuiApplication::clipboard()->text()
                             : typing ? event->text()
                                      : QString();
    if (event->matches(QKeySequence::Undo)) {
        undoEdit();
    } else if ((pasting || typing) && longEdit(inserted.size())) {
        if (!inserted.isEmpty() || hasSelectedText()) replaceSelection(inserted);
    } else if (!m_long || event->key() == Qt::Key_Home || event->key() == Qt::Key_End ||
               event->matches(QKeySequence::SelectAll)) {
        QLineEdit::keyPressEvent(event);  // its own, and what it does with a long text as well
        return;
    } else if (event->matches(QKeySequence::Copy)) {
        copyWhole();
    } else if (event->matches(QKeySequence::Cut)) {
        cutWhole();
    } else if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) {
        editWhole({}, 0);
    } else {
        event->ignore();  // moves nothing in a long text
        return;
    }
    event->accept();
}

void ValueField::inputMethodEvent(QInputMethodEvent* event) {
    const QString committed = event->commitString();
    if (!longEdit(committed.size())) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // A long text takes what an input method commits, as typing, and shows no composition.
    if (!committed.isEmpty()) replaceSelection(committed);
    event->accept();
}

QVariant ValueField::inputMethodQuery(Qt::InputMethodQuery query) const {
    // Input methods ask for the text around the caret after every change: not megabytes.
    if (m_long && (query & (Qt::ImSurroundingText | Qt::ImCurrentSelection |
                            Qt::ImTextBeforeCursor | Qt::ImTextAfterCursor)))
        return QString();
    if (m_long && (query & (Qt::ImCursorPosition | Qt::ImAnchorPosition))) return 0;
    return QLineEdit::inputMethodQuery(query);
}

bool ValueField::event(QEvent* event) {
    // The mouse takes a long text whole: a click selects it all; it is not dragged, dropped on
    // or pasted into.
    switch (m_long ? event->type() : QEvent::None) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) selectAll();
            return true;
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
        case QEvent::DragEnter:
            event->ignore();
            return true;
        default:
            return QLineEdit::event(event);
    }
}

void ValueField::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // QLineEdit's own entries in its own words, but its Undo would empty a long text, its Copy
    // and Cut refuse it, and its Paste records every character of a long paste for undo.
    const bool selected = hasSelectedText();
    QClipboard* clipboard = QGuiApplication::clipboard();
    const std::tuple<const char*, bool, std::function<void()>> entries[] = {
        {"&Undo", canUndo(), [this] { undoEdit(); }},
        {"&Redo", !m_long && isRedoAvailable(), nullptr},
        {"Cu&t", selected, [this] { cutWhole(); }},
        {"&Copy", selected, [this] { copyWhole(); }},
        {"&Paste", !clipboard->text().isEmpty(),
         [this, clipboard] {
             const QString pasted = clipboard->text();
             longEdit(pasted.size()) ? replaceSelection(pasted) : paste();
         }},
        {"Delete", selected, [this] { replaceSelection({}); }},
    };
    for (QAction* action : menu->actions()) {
        for (const auto& [caption, enabled, run] : entries) {
            // QLineEdit's caption, translated, then a tab and the shortcut
            if (action->text().section(u'\t', 0, 0) != QLineEdit::tr(caption)) continue;
            action->setEnabled(enabled);
            if (!run) continue;
            QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, run);
        }
    }
    if (!actions().isEmpty()) {  // the field's own, after QLineEdit's
        menu->addSeparator();
        menu->addActions(actions());
    }
    menu->popup(event->globalPos());
}

void ValueField::paintEvent(QPaintEvent* event) {
    if (!m_long) {
        QLineEdit::paintEvent(event);
        return;
    }
    // QLineEdit would draw an empty line: the frame, the first characters and an ellipsis, and
    // the caret or the selection, drawn here without laying out the rest.
    QPainter painter(this);
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
    const QRect line = style()
                           ->subElementRect(QStyle::SE_LineEditContents, &panel, this)
                           .marginsRemoved(textMargins())
                           .adjusted(2, 1, -2, -1);  // QLineEdit's own margins
    const QFontMetrics metrics = fontMetrics();
    const QString shown =
        metrics.elidedText(text().left(kShownCharacters) + u'…', Qt::ElideRight, line.width());
    const QRect box(line.left(), line.top() + (line.height() - metrics.height() + 1) / 2,
                    metrics.horizontalAdvance(shown), metrics.height());
    const QPalette colors = palette();
    painter.setClipRect(line);
    if (hasSelectedText()) painter.fillRect(box, colors.highlight());
    painter.setPen(hasSelectedText() ? colors.highlightedText().color() : colors.text().color());
    painter.drawText(box, Qt::TextSingleLine, shown);  // a line break shows as a blank
    if (hasFocus() && !isReadOnly() && !hasSelectedText()) {
        const qsizetype before = cursorPosition() == text().size()
                                     ? shown.size()
                                     : std::min<qsizetype>(cursorPosition(), shown.size() - 1);
        const int x = box.left() + metrics.horizontalAdvance(shown.left(before));
        painter.fillRect(x, box.top(), 1, box.height(), colors.text());
    }
}

}  // namespace pelmora::qt
