#include "qt/value_field.h"

#include <algorithm>
#include <limits>

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyleHints>
#include <QStyleOptionFrame>
#include <QTextLine>
#include <QValidator>

namespace pelmora::qt {
namespace {

// QLineEdit's own margins around the text line, in pixels.
constexpr int kHorizontalMargin = 2;
constexpr int kVerticalMargin = 1;

// A slice is laid out from this many characters and doubled until it fills the view.
constexpr int kFirstSlice = 256;
// A caret further than this from the start of the view is brought into view from its own
// side instead of by laying out everything in between.
constexpr int kFarCaret = 2048;
// How far a word is followed in each direction: a caret move or double click inside a run of
// millions of digits stops after this many characters instead of reading all of them.
constexpr int kWordReach = 1 << 18;

int Length(const QString& text) {
    return static_cast<int>(text.size());
}

// A one-line layout of `text` as the field lays it out: left to right, trailing blanks kept.
std::unique_ptr<QTextLayout> LayOut(const QString& text, const QFont& font) {
    auto layout = std::make_unique<QTextLayout>(text, font);
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    layout->beginLayout();
    layout->createLine();
    layout->endLayout();
    return layout;
}

// Whether Left and Right with a selection put the caret at the selection's edge (X11 and macOS
// key schemes) or move it from where it is (Windows): QLineEdit's answer, asked once.
bool ArrowsStopAtSelectionEdge() {
    static const bool atEdge = [] {
        QLineEdit probe(QStringLiteral("abc"));
        probe.setSelection(1, 1);  // "b", the caret after it
        QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QCoreApplication::sendEvent(&probe, &right);
        return probe.cursorPosition() == 2;
    }();
    return atEdge;
}

// Moves `position` back off the second half of a surrogate pair.
int OnCharacter(const QString& text, int position) {
    if (position > 0 && position < Length(text) && text.at(position).isLowSurrogate())
        return position - 1;
    return position;
}

}  // namespace

// QLineEdit asks its validator about every new text after the change and before it lays the
// text out: the one place to switch to the long-text display before Qt lays out megabytes.
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

// A key the field handles itself, in the order QLineEdit tests them (a key can match more
// than one sequence; the first wins). `run` empty: QLineEdit's own handling is right.
struct ValueField::KeyAction {
    QKeySequence::StandardKey key;
    void (ValueField::*run)();
    bool shortTextToo;  // also when QLineEdit displays the text itself
    bool edits;         // does nothing in a read-only field
};

struct ValueField::MenuEntry {
    const char* caption;  // QLineEdit's own, so its translation applies; null: a separator
    QKeySequence::StandardKey key;
    void (ValueField::*run)();
    bool (ValueField::*enabled)() const;
    bool edits;  // left out of a read-only field's menu
};

ValueField::ValueField(QWidget* parent, int longText) : QLineEdit(parent), m_longText(longText) {
    setMaxLength(std::numeric_limits<int>::max());  // Qt's default is 32,767
    setValidator(new LengthWatch(this));

    connect(this, &QLineEdit::textChanged, this, &ValueField::textChangedTo);
    connect(this, &QLineEdit::cursorPositionChanged, this, [this](int, int now) {
        m_lastCursor = now;
        restartCaret();
    });
    connect(this, &QLineEdit::selectionChanged, this, [this] { restartCaret(); });
}

ValueField::~ValueField() = default;

void ValueField::followLength(qsizetype length) {
    const bool longText = length > m_longText;
    if (longText == m_long) return;
    m_long = longText;
    // QLineEdit lays out only what it displays. Showing nothing also marks the text hidden
    // for input methods; it is not, so the hints are kept.
    const Qt::InputMethodHints hints = inputMethodHints();
    setEchoMode(m_long ? QLineEdit::NoEcho : QLineEdit::Normal);
    setInputMethodHints(hints);
    m_viewStart = 0;
    m_shift = 0;
    m_slice.reset();
    restartCaret();
}

// --- Undo --------------------------------------------------------------------------------

void ValueField::textChangedTo(const QString& text) {
    if (!m_restoring) {
        if (!m_userEditing) {
            m_undo.reset();  // the program's own text, which QLineEdit cannot undo either
        } else if (m_long || m_replacing) {
            m_undo = Snapshot{m_lastText, m_lastCursor};
        }
        m_redo.reset();
    }
    m_lastText = text;
    m_slice.reset();
    restartCaret();
}

void ValueField::undoEdit() {
    if (!m_long && isUndoAvailable()) {
        undo();
    } else {
        restore(m_undo, m_redo);
    }
}

void ValueField::redoEdit() {
    if (!m_long && isRedoAvailable()) {
        redo();
    } else {
        restore(m_redo, m_undo);
    }
}

void ValueField::restore(std::optional<Snapshot>& from, std::optional<Snapshot>& to) {
    if (!from || isReadOnly()) return;
    const Snapshot target = std::move(*from);
    from.reset();
    to = Snapshot{text(), cursorPosition()};
    {
        const QScopedValueRollback restoring(m_restoring, true);
        setText(target.text);
    }
    setCursorPosition(target.cursor);
    setModified(true);
    emit textEdited(text());
}

bool ValueField::canUndo() const {
    return (!m_long && isUndoAvailable()) || m_undo;
}

bool ValueField::canRedo() const {
    return (!m_long && isRedoAvailable()) || m_redo;
}

// --- Editing -----------------------------------------------------------------------------

void ValueField::replaceSelection(const QString& with) {
    if (isReadOnly()) return;
    if (with.size() <= m_longText && !largeSelection()) {
        insert(with);  // QLineEdit's own edit, with its undo records
        return;
    }
    const QString content = text();
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int removed = selectionLength();
    const QScopedValueRollback editing(m_userEditing, true);
    const QScopedValueRollback replacing(m_replacing, true);
    QString result;
    if (removed == Length(content)) {
        result = with;  // shares the clipboard's copy instead of making one
    } else {
        result.reserve(content.size() - removed + with.size());
        result.append(QStringView(content).left(start))
            .append(with)
            .append(QStringView(content).mid(start + removed));
    }
    setText(result);
    setCursorPosition(start + Length(with));
    setModified(true);
    emit textEdited(text());
}

void ValueField::pasteFrom(QClipboard::Mode mode) {
    if (isReadOnly()) return;
    const QString pasted = QGuiApplication::clipboard()->text(mode);
    if (pasted.isEmpty() && !hasSelectedText()) return;
    if (mode == QClipboard::Clipboard && pasted.size() <= m_longText && !largeSelection()) {
        paste();  // QLineEdit's own, one undo step of its own
        return;
    }
    replaceSelection(pasted);
}

void ValueField::copyTo(QClipboard::Mode mode) const {
    if (hasSelectedText()) QGuiApplication::clipboard()->setText(selectedText(), mode);
}

void ValueField::cutSelection() {
    if (!hasSelectedText()) return;
    copyTo(QClipboard::Clipboard);
    deleteSelection();
}

void ValueField::deleteEndOfLine() {
    setSelection(cursorPosition(), Length(text()) - cursorPosition());
    copyTo(QClipboard::Clipboard);
    deleteSelection();
}

void ValueField::deleteCompleteLine() {
    selectAll();
    copyTo(QClipboard::Clipboard);
    deleteSelection();
}

void ValueField::deleteNextCharacter() {
    if (!hasSelectedText()) {
        const int next = nextPosition(QTextLayout::SkipCharacters);
        if (next == cursorPosition()) return;
        setSelection(cursorPosition(), next - cursorPosition());
    }
    deleteSelection();
}

void ValueField::deleteToNextWord() {
    if (!hasSelectedText()) selectNextWord();
    if (hasSelectedText()) deleteSelection();
}

void ValueField::deleteToPreviousWord() {
    if (!hasSelectedText()) selectPreviousWord();
    if (hasSelectedText()) deleteSelection();
}

void ValueField::moveToNextCharacter() {
    if (hasSelectedText() && ArrowsStopAtSelectionEdge()) {
        setCursorPosition(selectionEnd());
    } else {
        moveTo(nextPosition(QTextLayout::SkipCharacters), false);
    }
}

void ValueField::moveToPreviousCharacter() {
    if (hasSelectedText() && ArrowsStopAtSelectionEdge()) {
        setCursorPosition(selectionStart());
    } else {
        moveTo(previousPosition(QTextLayout::SkipCharacters), false);
    }
}

void ValueField::moveTo(int position, bool select) {
    if (!select) {
        setCursorPosition(position);
        return;
    }
    int anchor = cursorPosition();
    if (hasSelectedText())
        anchor = cursorPosition() == selectionStart() ? selectionEnd() : selectionStart();
    setSelection(anchor, position - anchor);
}

int ValueField::step(int position, int direction, QTextLayout::CursorMode mode) const {
    const QString content = text();
    const int length = Length(content);
    // The characters around `position`, more of them while the answer lies on their edge,
    // where the window itself would end a word.
    for (int reach = 64;; reach *= 4) {
        const int from = std::max(0, position - reach);
        const int to = std::min(length, position + reach);
        const QTextLayout window(content.mid(from, to - from));
        const int local = position - from;
        const int found = direction > 0 ? window.nextCursorPosition(local, mode)
                                        : window.previousCursorPosition(local, mode);
        const bool onEdge =
            direction > 0 ? found == to - from && to < length : found == 0 && from > 0;
        if (!onEdge || reach >= kWordReach) return from + found;
    }
}

// --- Events ------------------------------------------------------------------------------

void ValueField::keyPressEvent(QKeyEvent* event) {
    static constexpr KeyAction kActions[] = {
        {QKeySequence::Undo, &ValueField::undoEdit, true, true},
        {QKeySequence::Redo, &ValueField::redoEdit, true, true},
        {QKeySequence::SelectAll, nullptr, false, false},
        {QKeySequence::Copy, &ValueField::copySelection, false, false},
        {QKeySequence::Paste, &ValueField::pasteClipboard, true, true},
        {QKeySequence::Cut, &ValueField::cutSelection, false, true},
        {QKeySequence::DeleteEndOfLine, &ValueField::deleteEndOfLine, false, true},
        {QKeySequence::MoveToStartOfLine, nullptr, false, false},
        {QKeySequence::MoveToStartOfBlock, nullptr, false, false},
        {QKeySequence::MoveToEndOfLine, nullptr, false, false},
        {QKeySequence::MoveToEndOfBlock, nullptr, false, false},
        {QKeySequence::SelectStartOfLine, nullptr, false, false},
        {QKeySequence::SelectStartOfBlock, nullptr, false, false},
        {QKeySequence::SelectEndOfLine, nullptr, false, false},
        {QKeySequence::SelectEndOfBlock, nullptr, false, false},
        {QKeySequence::MoveToNextChar, &ValueField::moveToNextCharacter, false, false},
        {QKeySequence::SelectNextChar, &ValueField::selectNextCharacter, false, false},
        {QKeySequence::MoveToPreviousChar, &ValueField::moveToPreviousCharacter, false, false},
        {QKeySequence::SelectPreviousChar, &ValueField::selectPreviousCharacter, false, false},
        {QKeySequence::MoveToNextWord, &ValueField::moveToNextWord, false, false},
        {QKeySequence::MoveToPreviousWord, &ValueField::moveToPreviousWord, false, false},
        {QKeySequence::SelectNextWord, &ValueField::selectNextWord, false, false},
        {QKeySequence::SelectPreviousWord, &ValueField::selectPreviousWord, false, false},
        {QKeySequence::Delete, &ValueField::deleteNextCharacter, false, true},
        {QKeySequence::DeleteEndOfWord, &ValueField::deleteToNextWord, false, true},
        {QKeySequence::DeleteStartOfWord, &ValueField::deleteToPreviousWord, false, true},
        {QKeySequence::DeleteCompleteLine, &ValueField::deleteCompleteLine, false, true},
    };
    const QScopedValueRollback editing(m_userEditing, true);
    restartCaret();
    // Ctrl+Shift+Insert pastes the mouse selection on X11.
    if (event->key() == Qt::Key_Insert &&
        event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier)) {
        pasteFrom(QClipboard::Selection);
        event->accept();
        return;
    }
    for (const KeyAction& action : kActions) {
        if (!event->matches(action.key)) continue;
        if (!action.run || !(m_long || action.shortTextToo)) break;
        if (!(action.edits && isReadOnly())) (this->*action.run)();
        event->accept();
        return;
    }
    // Backspace and typing over a large selection would record every removed character.
    if (m_long && largeSelection() && !isReadOnly()) {
        const QString typed = event->text();
        if (event->key() == Qt::Key_Backspace) {
            deleteSelection();
            event->accept();
            return;
        }
        if (!typed.isEmpty() && typed.at(0).isPrint() &&
            !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
            replaceSelection(typed);
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void ValueField::inputMethodEvent(QInputMethodEvent* event) {
    const QScopedValueRollback editing(m_userEditing, true);
    if (m_long && largeSelection() && !isReadOnly() &&
        (!event->commitString().isEmpty() || !event->preeditString().isEmpty())) {
        deleteSelection();
    }
    QLineEdit::inputMethodEvent(event);
}

QVariant ValueField::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (!m_long) return QLineEdit::inputMethodQuery(query);
    // Input methods ask for the text around the caret after every move; a long text gives
    // them a stretch of it rather than megabytes.
    constexpr int kAround = 1024;
    const QString content = text();
    const int from = std::max(0, OnCharacter(content, cursorPosition() - kAround));
    const int to = std::min(Length(content), cursorPosition() + kAround);
    switch (query) {
        case Qt::ImCursorRectangle:
        case Qt::ImAnchorRectangle:
            return caretRect();
        case Qt::ImSurroundingText:
            return content.mid(from, to - from);
        case Qt::ImCursorPosition:
            return cursorPosition() - from;
        case Qt::ImAnchorPosition: {
            const int anchor = !hasSelectedText()                     ? cursorPosition()
                               : cursorPosition() == selectionStart() ? selectionEnd()
                                                                      : selectionStart();
            return std::clamp(anchor, from, to) - from;
        }
        case Qt::ImCurrentSelection: {
            const int start = std::clamp(selectionStart(), from, to);
            const int end = std::clamp(selectionEnd(), from, to);
            return hasSelectedText() ? content.mid(start, end - start) : QString();
        }
        case Qt::ImTextBeforeCursor:
            return content.mid(from, cursorPosition() - from);
        case Qt::ImTextAfterCursor:
            return content.mid(cursorPosition(), to - cursorPosition());
        default:
            return QLineEdit::inputMethodQuery(query);
    }
}

void ValueField::mousePressEvent(QMouseEvent* event) {
    if (!m_long || event->button() == Qt::RightButton) {
        QLineEdit::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && m_sinceDoubleClick.isValid() &&
        m_sinceDoubleClick.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval() &&
        (at - m_doubleClickAt).manhattanLength() < QApplication::startDragDistance()) {
        m_sinceDoubleClick.invalidate();
        selectAll();
        return;
    }
    moveTo(positionAt(at.x()), event->modifiers() & Qt::ShiftModifier);
}

void ValueField::mouseMoveEvent(QMouseEvent* event) {
    if (!m_long) {
        QLineEdit::mouseMoveEvent(event);
        return;
    }
    if (event->buttons() & Qt::LeftButton)
        moveTo(positionAt(event->position().toPoint().x()), true);
}

void ValueField::mouseReleaseEvent(QMouseEvent* event) {
    const QScopedValueRollback editing(m_userEditing, true);
    const bool selectionClipboard = QGuiApplication::clipboard()->supportsSelection();
    if (event->button() == Qt::MiddleButton && selectionClipboard && !isReadOnly()) {
        deselect();
        pasteFrom(QClipboard::Selection);
        return;
    }
    if (m_long && event->button() == Qt::LeftButton && selectionClipboard)
        copyTo(QClipboard::Selection);
    QLineEdit::mouseReleaseEvent(event);
}

void ValueField::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!m_long || event->button() != Qt::LeftButton) {
        QLineEdit::mouseDoubleClickEvent(event);
        return;
    }
    // The word under the mouse, without the blanks after it.
    const QPoint at = event->position().toPoint();
    const int position = positionAt(at.x());
    const QString content = text();
    const int start = step(std::min(position + 1, Length(content)), -1, QTextLayout::SkipWords);
    int end = step(start, 1, QTextLayout::SkipWords);
    while (end > position && content.at(end - 1).isSpace())
        --end;
    setSelection(start, std::max(end, start) - start);
    m_doubleClickAt = at;
    m_sinceDoubleClick.start();
}

void ValueField::contextMenuEvent(QContextMenuEvent* event) {
    // QLineEdit's own menu, but its Copy and Cut refuse a long text and its Paste records
    // every pasted character.
    static constexpr MenuEntry kEntries[] = {
        {"&Undo", QKeySequence::Undo, &ValueField::undoEdit, &ValueField::canUndo, true},
        {"&Redo", QKeySequence::Redo, &ValueField::redoEdit, &ValueField::canRedo, true},
        {nullptr, QKeySequence::UnknownKey, nullptr, nullptr, true},
        {"Cu&t", QKeySequence::Cut, &ValueField::cutSelection, &QLineEdit::hasSelectedText, true},
        {"&Copy", QKeySequence::Copy, &ValueField::copySelection, &QLineEdit::hasSelectedText,
         false},
        {"&Paste", QKeySequence::Paste, &ValueField::pasteClipboard, &ValueField::canPaste, true},
        {"Delete", QKeySequence::UnknownKey, &ValueField::deleteSelection,
         &QLineEdit::hasSelectedText, true},
        {nullptr, QKeySequence::UnknownKey, nullptr, nullptr, false},
        {"Select All", QKeySequence::SelectAll, &QLineEdit::selectAll, &ValueField::canSelectAll,
         false},
    };
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const MenuEntry& entry : kEntries) {
        if (entry.edits && isReadOnly()) continue;
        if (!entry.caption) {
            menu->addSeparator();
            continue;
        }
        QString caption = QLineEdit::tr(entry.caption);
        if (entry.key != QKeySequence::UnknownKey)
            caption += u'\t' + QKeySequence(entry.key).toString(QKeySequence::NativeText);
        QAction* action = menu->addAction(caption, this, [this, run = entry.run] {
            const QScopedValueRollback editing(m_userEditing, true);
            (this->*run)();
        });
        action->setEnabled((this->*entry.enabled)());
    }
    if (!actions().isEmpty()) {  // the window's own entries
        menu->addSeparator();
        menu->addActions(actions());
    }
    menu->popup(event->globalPos());
}

bool ValueField::canPaste() const {
    return !QGuiApplication::clipboard()->text().isEmpty();
}

bool ValueField::canSelectAll() const {
    return !text().isEmpty() && selectionLength() < Length(text());
}

void ValueField::dragMoveEvent(QDragMoveEvent* event) {
    if (!m_long || isReadOnly() || !event->mimeData()->hasText()) {
        QLineEdit::dragMoveEvent(event);
        return;
    }
    event->acceptProposedAction();
    setCursorPosition(positionAt(event->position().toPoint().x()));
}

void ValueField::dropEvent(QDropEvent* event) {
    const QScopedValueRollback editing(m_userEditing, true);
    const QString dropped = event->mimeData()->text();
    if (dropped.isNull() || isReadOnly() || (!m_long && dropped.size() <= m_longText)) {
        QLineEdit::dropEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    const int position = m_long ? positionAt(at.x()) : cursorPositionAt(at);
    event->acceptProposedAction();
    setCursorPosition(position);
    replaceSelection(dropped);
}

void ValueField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    restartCaret();
}

void ValueField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    restartCaret();
}

void ValueField::changeEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::FontChange:
        case QEvent::StyleChange:
            m_slice.reset();
            break;
        case QEvent::ReadOnlyChange:
            restartCaret();
            break;
        default:
            break;
    }
    QLineEdit::changeEvent(event);
}

void ValueField::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_blink.timerId()) {
        QLineEdit::timerEvent(event);
        return;
    }
    m_caretOn = !m_caretOn;
    update(caretRect());
}

void ValueField::restartCaret() {
    m_caretOn = true;
    m_blink.stop();
    if (!m_long) return;
    const int flashTime = QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && !isReadOnly() && flashTime >= 2) m_blink.start(flashTime / 2, this);
    update();
}

bool ValueField::caretShown() const {
    if (!m_caretOn || !hasFocus() || isReadOnly()) return false;
    if (!hasSelectedText()) return true;
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->styleHint(QStyle::SH_BlinkCursorWhenTextSelected, &option, this);
}

// --- The long-text display ---------------------------------------------------------------

QRect ValueField::textRect() const {
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    return style()
        ->subElementRect(QStyle::SE_LineEditContents, &panel, this)
        .marginsRemoved(textMargins());
}

QRect ValueField::lineRect() const {
    // Where QLineEdit puts its line of text.
    const QRect text = textRect();
    const int height = fontMetrics().height();
    int top = text.y() + (text.height() - height + 1) / 2;
    switch (alignment() & Qt::AlignVertical_Mask) {
        case Qt::AlignTop:
            top = text.y() + kVerticalMargin;
            break;
        case Qt::AlignBottom:
            top = text.y() + text.height() - height - kVerticalMargin;
            break;
        default:
            break;
    }
    return {text.x() + kHorizontalMargin, top, text.width() - 2 * kHorizontalMargin, height};
}

void ValueField::setViewStart(int start) const {
    if (start == m_viewStart) return;
    m_viewStart = start;
    m_slice.reset();
}

void ValueField::layOutSlice(int width) const {
    const QString content = text();
    const int length = Length(content);
    const int cursor = cursorPosition();
    if (m_slice && m_sliceEnd >= std::min(cursor + 1, length) &&
        (m_sliceEnd == length || m_slice->lineAt(0).naturalTextWidth() >= width)) {
        return;
    }
    for (int count = std::max(kFirstSlice, cursor - m_viewStart + 64);; count *= 2) {
        const int end = OnCharacter(content, std::min(length, m_viewStart + count));
        m_slice = LayOut(content.mid(m_viewStart, end - m_viewStart), font());
        m_sliceEnd = end;
        if (end == length || m_slice->lineAt(0).naturalTextWidth() >= width) return;
    }
}

void ValueField::scrollToRightEdge(int anchor) const {
    const QString content = text();
    const int width = lineRect().width();
    for (int reach = kFirstSlice;; reach *= 2) {
        const int from = OnCharacter(content, std::max(0, anchor - reach));
        const auto before = LayOut(content.mid(from, anchor - from), font());
        const QTextLine line = before->lineAt(0);
        const qreal left = line.cursorToX(anchor - from) - (width - 1);
        if (left <= 0 && from > 0 && reach < kFarCaret) continue;
        if (left <= 0) {
            setViewStart(from);
            m_shift = 0;
            return;
        }
        const int first = line.xToCursor(left, QTextLine::CursorOnCharacter);
        setViewStart(from + first);
        m_shift = qRound(left - line.cursorToX(first));
        return;
    }
}

void ValueField::updateView() const {
    // QLineEdit's scrolling, counted from the first character in view instead of from the
    // start of the text: keep the caret in view, moving the view as little as possible.
    const QString content = text();
    const int length = Length(content);
    const int cursor = cursorPosition();
    const int width = lineRect().width();
    setViewStart(OnCharacter(content, std::min(m_viewStart, length)));
    if (cursor < m_viewStart) {
        setViewStart(cursor);
        m_shift = 0;
    } else if (cursor - m_viewStart > kFarCaret) {
        scrollToRightEdge(cursor);
    }
    layOutSlice(m_shift + width);
    const QTextLine line = m_slice->lineAt(0);
    const int caretX = qRound(line.cursorToX(cursor - m_viewStart));
    const int used = m_sliceEnd == length ? qRound(line.naturalTextWidth()) + 1
                                          : std::numeric_limits<int>::max();
    if (m_viewStart == 0 && used <= width) {
        m_shift = 0;
    } else if (caretX - m_shift >= width) {
        m_shift = caretX - width + 1;
    } else if (caretX - m_shift < 0) {
        m_shift = caretX;
    } else if (used - m_shift < width) {
        // The end of the text is in view: show as much of the text before it as fits.
        if (m_viewStart > 0 && used < width) {
            scrollToRightEdge(length);
        } else {
            m_shift = std::max(0, used - width + 1);
        }
    }
    // Start the slice at the first character in view, so it stays short.
    if (m_slice && m_shift > width) {
        const QTextLine shifted = m_slice->lineAt(0);
        const int first = shifted.xToCursor(m_shift, QTextLine::CursorOnCharacter);
        m_shift -= qRound(shifted.cursorToX(first));
        setViewStart(m_viewStart + first);
    }
    layOutSlice(m_shift + width);
}

int ValueField::positionAt(int x) const {
    updateView();
    const QRect line = lineRect();
    const int local = x - line.x() + m_shift;
    if (local < 0)  // left of the view: one character further, so dragging scrolls
        return m_viewStart > 0 ? step(m_viewStart, -1, QTextLayout::SkipCharacters) : 0;
    const int beyond = std::min(local, m_shift + line.width() + 1);
    return m_viewStart + m_slice->lineAt(0).xToCursor(beyond, QTextLine::CursorBetweenCharacters);
}

QRect ValueField::caretRect() const {
    updateView();
    const QRect line = lineRect();
    const int x =
        line.x() - m_shift + qRound(m_slice->lineAt(0).cursorToX(cursorPosition() - m_viewStart));
    return {x - 5, line.y(), 10, line.height() + 1};
}

void ValueField::paintEvent(QPaintEvent* event) {
    if (!m_long) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
    const QRect clip = textRect();
    painter.setClipRect(clip);

    updateView();
    const QRect line = lineRect();
    const QPalette colors = palette();
    // QLineEdit keeps the baseline where the font puts it, whatever the line's own ascent.
    const int raise = qRound(m_slice->lineAt(0).ascent()) - fontMetrics().ascent();
    const QPoint topLeft = line.topLeft() - QPoint(m_shift, raise);
    QList<QTextLayout::FormatRange> selections;
    if (hasSelectedText()) {
        const int start = std::max(selectionStart(), m_viewStart);
        const int end = std::min(selectionEnd(), m_sliceEnd);
        if (start < end) {
            QTextLayout::FormatRange selected;
            selected.start = start - m_viewStart;
            selected.length = end - start;
            selected.format.setBackground(colors.brush(QPalette::Highlight));
            selected.format.setForeground(colors.brush(QPalette::HighlightedText));
            selections.append(selected);
        }
    }
    painter.setPen(colors.text().color());
    m_slice->draw(&painter, topLeft, selections, clip);
    if (caretShown()) {
        m_slice->drawCursor(&painter, topLeft, cursorPosition() - m_viewStart,
                            style()->pixelMetric(QStyle::PM_TextCursorWidth, &panel, this));
    }
}

}  // namespace pelmora::qt
