#pragma once

#include <optional>

#include <QLineEdit>

namespace pelmora::qt {

// A text box for one value: a QLineEdit that takes a text of any length and stays quick and
// small with megabytes in it.
//
// QLineEdit lays out its whole text after every change (some 37 bytes and a few hundred
// nanoseconds per character) and records every character an edit inserts or removes for undo
// (some 20 bytes each). So a text longer than `longText` characters is a long text, held whole
// in the line edit (text(), textChanged and textEdited carry all of it) but laid out by
// nobody: the field shows its first characters and an ellipsis, and edits it as a whole.
// Select all, copy, cut, paste, typing over the selection or at the caret, Home and End work as
// in QLineEdit; Backspace and Delete erase the whole text; a click selects all of it; other
// keys, dragging, drops and the middle button do nothing. An edit that leaves or makes a long
// text builds the new text at once and is undone in one step, back to the text before it; a
// second undo brings the edit back, as classic edit controls do. Up to `longText` characters
// the field is QLineEdit itself, with its own undo.
//
// The field hears of a new text from its validator, before QLineEdit lays the text out: do not
// set another. Screen readers read a long text as its length and first characters. The
// field's own actions end its context menu.
class ValueField : public QLineEdit {
    Q_OBJECT

public:
    static constexpr int kLongText = 4096;

    // `longText` >= 0: the longest text that QLineEdit shows and edits itself.
    explicit ValueField(QWidget* parent = nullptr, int longText = kLongText);

    // Whether the field holds a long text (one longer than longText).
    bool showsLongText() const { return m_long; }

    // What assistive technology reads as the field's text: the text itself, or for a long
    // text its length and first characters.
    QString accessibleText() const;

    using QLineEdit::inputMethodQuery;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool event(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    class LengthWatch;
    class Accessible;

    void followLength(qsizetype length);
    // Whether putting `count` characters in place of the selection leaves or makes a long text.
    bool longEdit(qsizetype count) const;
    // Puts `with` in place of the selection (or at the caret): QLineEdit's own edit, or for a
    // long text a whole-text edit.
    void replaceSelection(const QString& with);
    // The whole-text edit: the text becomes `after` with the caret at `cursor`, the one undo
    // step goes back to the text before, and textEdited is sent as for the user's typing.
    void editWhole(QString after, int cursor);
    void undoEdit();
    void copyWhole() const;
    void cutWhole();
    bool canUndo() const;

    int m_longText;
    bool m_long = false;
    std::optional<QString> m_undo;  // the text before the last whole-text edit
};

}  // namespace pelmora::qt
