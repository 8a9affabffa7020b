#pragma once
#include <QComboBox>
#include <QStringList>

namespace tw {

// A list with an edit line, as the customer and product boxes are. A name typed into it is
// completed with the first entry (in list order) that begins with it, compared without regard
// to case: the whole entry, in its own spelling, replaces the text and the part not typed is
// selected, so typing on overwrites it. Taking the entry's spelling matters: a typed prefix
// with a completed tail in other capitals would be a name in neither the list nor the ledger
// index. A typed name is a lookup key, never a new entry.
class CompletingComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CompletingComboBox(QWidget* parent = nullptr);

    // Replaces the entries: sorted once without regard to case (stable), handed to the box as
    // a whole model; the edit line is left empty with no entry chosen.
    void setListEntries(QStringList entries);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void complete(const QString& typed);

    // What stays of the text when the key now handled replaces the selection (a completed
    // tail): to tell typing from deleting.
    QString textBefore_;
};

} // namespace tw
