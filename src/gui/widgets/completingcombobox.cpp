#include "widgets/completingcombobox.h"

#include "sources/listorder.h"

#include <QCompleter>
#include <QLineEdit>
#include <QListView>
#include <QSignalBlocker>
#include <QStringListModel>

namespace tw {

CompletingComboBox::CompletingComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(16);
    // The completion is the box's own: it takes the entry's spelling.
    setCompleter(nullptr);
    connect(lineEdit(), &QLineEdit::textEdited, this, &CompletingComboBox::complete);
    setCurrentIndex(-1);
    setEditText(QString());
}

void CompletingComboBox::setListEntries(QStringList entries) {
    const QStringList sorted = sources::sortedEntries(std::move(entries));

    // The whole list goes to the box at once; nothing that listens to the box is told, since
    // no entry is chosen by this.
    const QSignalBlocker block(this);
    if (auto* own = qobject_cast<QStringListModel*>(model()); own && own->parent() == this) {
        own->setStringList(sorted);
    } else {
        // setModel deletes the box's own previous model itself.
        setModel(new QStringListModel(sorted, this));
    }
    // A long list opens fast when every row has the same height.
    if (auto* list = qobject_cast<QListView*>(view()))
        list->setUniformItemSizes(true);
    if (QCompleter* c = completer(); c && c->model() != model())
        c->setModel(model());
    setCurrentIndex(-1);
    setEditText(QString());
}

void CompletingComboBox::keyPressEvent(QKeyEvent* event) {
    textBefore_ = currentText();
    if (lineEdit()->hasSelectedText())
        textBefore_.remove(lineEdit()->selectionStart(), lineEdit()->selectedText().size());
    QComboBox::keyPressEvent(event);
}

void CompletingComboBox::complete(const QString& typed) {
    QLineEdit* edit = lineEdit();
    if (typed.isEmpty() || typed.size() <= textBefore_.size() || edit->hasSelectedText() ||
        edit->cursorPosition() != typed.size())
        return; // deleting, or typing inside the text: leave it as it is
    // A list filled by setListEntries is in collation order and is searched by halves; any
    // other contents of the box are searched from the top.
    const auto* entries = qobject_cast<const QStringListModel*>(model());
    const qsizetype row = entries ? sources::completionRow(entries->stringList(), typed)
                                  : findText(typed, Qt::MatchStartsWith);
    if (row < 0)
        return;
    const QString entry = itemText(int(row));
    edit->setText(entry);
    edit->setSelection(entry.size(), typed.size() - entry.size());
}

} // namespace tw
