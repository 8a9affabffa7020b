#pragma once
#include <QPlainTextEdit>

namespace tw {

// The multi-line description box: word-wrapped, at most maxLength() characters, and one
// line of text as far as the ledger record is concerned. Enter never inserts a line break
// (the window moves the focus on Enter), and line breaks that arrive by pasting, dropping
// or setText() become blanks. The limit applies to typing and to text set by the program;
// what does not fit is cut off. Tab moves the focus instead of inserting a tab.
class DescriptionBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DescriptionBox(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);

    int maxLength() const { return maxLength_; }
    void setMaxLength(int length);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void onContentsChange(int position, int charsRemoved, int charsAdded);
    int length() const;

    int maxLength_ = 32767;
    bool fixing_ = false;
};

} // namespace tw
