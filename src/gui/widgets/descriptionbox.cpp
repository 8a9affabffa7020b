#include "widgets/descriptionbox.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace tw {

namespace {
bool isLineBreak(QChar c) {
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator ||
           c == QChar::LineSeparator;
}

QString withoutLineBreaks(QString text) {
    // CR LF is one break: one blank, as the old system's paste would show one gap.
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar& c : text)
        if (isLineBreak(c))
            c = QLatin1Char(' ');
    return text;
}
} // namespace

DescriptionBox::DescriptionBox(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabChangesFocus(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(document(), &QTextDocument::contentsChange, this, &DescriptionBox::onContentsChange);
}

QString DescriptionBox::text() const {
    // toPlainText() would turn no-break spaces into blanks; the ledger keeps them.
    return document()->toRawText();
}

void DescriptionBox::setText(const QString& text) {
    setPlainText(withoutLineBreaks(text).left(maxLength_));
}

void DescriptionBox::setMaxLength(int length) {
    maxLength_ = length < 0 ? 0 : length;
    if (this->length() > maxLength_)
        setText(text());
}

int DescriptionBox::length() const {
    return document()->characterCount() - 1;
}

void DescriptionBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Never a line break; the window decides where Enter takes the operator.
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void DescriptionBox::insertFromMimeData(const QMimeData* source) {
    // Pasted text as plain text only, so that CR LF counts as one break (one blank).
    if (!source || !source->hasText())
        return;
    QTextCursor cursor = textCursor();
    cursor.insertText(withoutLineBreaks(source->text()));
    setTextCursor(cursor);
    ensureCursorVisible();
}

// Every insertion, however it arrives (typing, input methods, paste, drop, undo), is
// repaired here: line breaks become blanks, then whatever exceeds the limit is cut from the
// inserted text, so the characters already in the box are never lost.
void DescriptionBox::onContentsChange(int position, int /*charsRemoved*/, int charsAdded) {
    if (fixing_ || charsAdded <= 0)
        return;
    fixing_ = true;
    QTextDocument* doc = document();
    QTextCursor cursor(doc);
    cursor.joinPreviousEditBlock();

    // The inserted range can reach past the end after setPlainText (the final block's
    // separator): clamp it.
    const int end = std::min(position + charsAdded, doc->characterCount() - 1);
    for (int i = position; i < end; ++i) {
        if (!isLineBreak(doc->characterAt(i)))
            continue;
        cursor.setPosition(i);
        cursor.setPosition(i + 1, QTextCursor::KeepAnchor);
        cursor.insertText(QStringLiteral(" "));
    }

    const int excess = length() - maxLength_;
    if (excess > 0) {
        const int cutFrom = std::max(position, end - excess);
        cursor.setPosition(cutFrom);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        // Text set wholesale can still be too long if the range was clamped; cut the tail.
        const int still = length() - maxLength_;
        if (still > 0) {
            cursor.setPosition(maxLength_);
            cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
        }
    }
    cursor.endEditBlock();
    fixing_ = false;
}

} // namespace tw
