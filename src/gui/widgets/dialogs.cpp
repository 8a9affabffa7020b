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

QString WidgetDialogs::chooseOpenFile(QWidget* parent, const QString& caption,
                                      const QString& startFolder, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, startFolder, filter);
}

QString WidgetDialogs::chooseSaveFile(QWidget* parent, const QString& caption,
                                      const QString& suggestedPath, const QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filter);
}

QString WidgetDialogs::chooseFolder(QWidget* parent, const QString& caption,
                                    const QString& startFolder) {
    return QFileDialog::getExistingDirectory(parent, caption, startFolder);
}

} // namespace tw
