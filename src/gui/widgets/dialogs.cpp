#include "widgets/dialogs.h"

#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace tw {

QString WidgetDialogs::chooseDatabaseFile(QWidget* parent, const QString& startFolder) {
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Select Database"), startFolder,
                                        QStringLiteral("Access databases (*.mdb *.accdb)"));
}

bool WidgetDialogs::choosePrinter(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace tw
