#pragma once

#include <memory>
#include <optional>

#include <QBasicTimer>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTextLayout>

namespace pelmora::qt {

// A text box for one value: a QLineEdit that takes a text of any length and stays responsive
// with megabytes in it.
//
// QLineEdit lays out its whole text after every change and measures and draws all of it on
// every paint, caret blinks included: a 10 MB line costs seconds per blink and some 37 bytes
// of memory per character. So a text longer than `longText` characters is shown as a long
// text: QLineEdit still holds the whole text, the caret and the selection (text(),
// textEdited, select all, Home and End work on every character), but it lays out none of it
// (its echo mode is NoEcho); the field draws the part in view from a layout of a few hundred
// characters around it, and moves the caret by characters and words and answers clicks from
// layouts of the characters around the caret.
//
// QLineEdit records each inserted or removed character for undo, some 20 bytes each. An edit
// that inserts or removes more than `longText` characters at once (a paste, typing over a
// large selection) therefore replaces the text in one step. Such an edit, and any edit of a
// long text, is undone one step back, as classic edit controls do; short texts keep
// QLineEdit's own undo.
//
// Every user edit sends textEdited with the whole text; setText() is the program's write, as
// for QLineEdit. The field uses QLineEdit's validator to hear of a new text before Qt lays it
// out: do not set another. A long text is laid out left to right. QLineEdit's non-virtual
// copy(), cut(), undo(), redo(), cursorRect() and cursorPositionAt() do not know about long
// texts (copy() and cut() refuse them, undo() empties the field): use the keys and the context
// menu, which do. Assistive technology sees a long text as an empty password field.
class ValueField : public QLineEdit {
    Q_OBJECT

public:
    static constexpr int kLongText = 4096;

    // `longText` >= 0: the longest text that QLineEdit displays itself.
    explicit ValueField(QWidget* parent = nullptr, int longText = kLongText);
    ~ValueField() override;

    // Whether the field shows its text as a long text (the text is longer than longText).
    bool showsLongText() const { return m_long; }

    using QLineEdit::inputMethodQuery;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    class LengthWatch;
    struct KeyAction;
    struct MenuEntry;
    struct Snapshot {
        QString text;
        int cursor = 0;
    };

    // Switches between QLineEdit's own display and the long-text display before a text of
    // `length` characters is laid out.
    void followLength(qsizetype length);

    // Undo and redo: QLineEdit's own, except for a long text and for the edits that replace the
    // text in one step, which QLineEdit cannot undo: those restore the text as it was before
    // the last such edit, one step back, as classic edit controls do.
    void undoEdit();
    void redoEdit();
    void restore(std::optional<Snapshot>& from, std::optional<Snapshot>& to);
    void textChangedTo(const QString& text);
    bool canUndo() const;
    bool canRedo() const;

    // Editing that keeps a long text cheap.
    void replaceSelection(const QString& with);
    void pasteFrom(QClipboard::Mode mode);
    void copyTo(QClipboard::Mode mode) const;
    void copySelection() { copyTo(QClipboard::Clipboard); }
    void pasteClipboard() { pasteFrom(QClipboard::Clipboard); }
    void cutSelection();
    void deleteSelection() { replaceSelection({}); }
    void deleteEndOfLine();
    void deleteCompleteLine();
    void deleteNextCharacter();
    void deleteToNextWord();
    void deleteToPreviousWord();
    void moveToNextCharacter();
    void moveToPreviousCharacter();
    void selectNextCharacter() { moveTo(nextPosition(QTextLayout::SkipCharacters), true); }
    void selectPreviousCharacter() { moveTo(previousPosition(QTextLayout::SkipCharacters), true); }
    void moveToNextWord() { moveTo(nextPosition(QTextLayout::SkipWords), false); }
    void moveToPreviousWord() { moveTo(previousPosition(QTextLayout::SkipWords), false); }
    void selectNextWord() { moveTo(nextPosition(QTextLayout::SkipWords), true); }
    void selectPreviousWord() { moveTo(previousPosition(QTextLayout::SkipWords), true); }
    void moveTo(int position, bool select);
    int nextPosition(QTextLayout::CursorMode mode) const { return step(cursorPosition(), 1, mode); }
    int previousPosition(QTextLayout::CursorMode mode) const {
        return step(cursorPosition(), -1, mode);
    }
    int step(int position, int direction, QTextLayout::CursorMode mode) const;
    bool largeSelection() const { return selectionLength() > m_longText; }

    bool canPaste() const;
    bool canSelectAll() const;

    // The long-text display: the part of the text in view, laid out on its own. Like
    // QLineEdit's scroll position, the view follows the caret when the field is painted.
    QRect textRect() const;
    QRect lineRect() const;
    void updateView() const;
    void setViewStart(int start) const;
    void layOutSlice(int width) const;
    void scrollToRightEdge(int anchor) const;
    int positionAt(int x) const;
    QRect caretRect() const;
    bool caretShown() const;
    void restartCaret();

    int m_longText;
    bool m_long = false;
    mutable int m_viewStart = 0;  // the first character in view
    mutable int m_shift = 0;      // pixels of that character and the slice left of the view
    mutable std::unique_ptr<QTextLayout> m_slice;  // the text from m_viewStart, the view and more
    mutable int m_sliceEnd = 0;
    QBasicTimer m_blink;
    bool m_caretOn = true;
    QPoint m_doubleClickAt;
    QElapsedTimer m_sinceDoubleClick;  // a click soon after a double click selects all

    QString m_lastText;  // the text before the change being made, shared with QLineEdit's
    int m_lastCursor = 0;
    bool m_userEditing = false;  // a change now comes from the user
    bool m_replacing = false;    // a change now replaces the text in one step
    bool m_restoring = false;    // a change now is an undo or redo of our own
    std::optional<Snapshot> m_undo;
    std::optional<Snapshot> m_redo;
};

}  // namespace pelmora::qt
