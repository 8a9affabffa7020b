#include "widgets/tableoutput.h"

#include "export/csv.h"
#include "platform/host.h"
#include "widgets/dialogs.h"
#include "widgets/tableprint.h"

#include <QBoxLayout>
#include <QDateTime>
#include <QDir>
#include <QPushButton>
#include <QTime>

namespace tw {

namespace {

// A file name from the window's title: characters no file system takes become blanks.
QString suggestedPath(const exports::Table& table, const QString& suffix) {
    QString name = table.title;
    for (QChar& c : name) {
        if (QStringLiteral("\\/:*?\"<>|").contains(c) || c.unicode() < 32)
            c = u' ';
    }
    name = name.simplified();
    if (name.isEmpty())
        name = QStringLiteral("Table");
    return QDir::home().filePath(name + suffix);
}

exports::PrintDocument document(const exports::Table& table, const Host& host) {
    return exports::printable(table, QDateTime(host.today(), QTime::currentTime()));
}

} // namespace

bool exportTable(const exports::Table& table, const TableOutput& out, QWidget* parent) {
    const QString path = out.dialogs.chooseSaveFile(
        parent, QStringLiteral("Export"), suggestedPath(table, QStringLiteral(".csv")),
        QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return false;
    const QByteArray bytes = exports::toCsv(table, exports::byteOrderMarkWanted(out.settings));
    if (const QString error = exports::saveFile(path, bytes); !error.isEmpty()) {
        out.host.message(error);
        return false;
    }
    return true;
}

bool printTable(const exports::Table& table, const TableOutput& out, QWidget* parent) {
    return printDocument(document(table, out.host), out.dialogs, parent);
}

bool saveTableAsPdf(const exports::Table& table, const TableOutput& out, QWidget* parent) {
    const QString path = out.dialogs.chooseSaveFile(parent, QStringLiteral("Save as PDF"),
                                                    suggestedPath(table, QStringLiteral(".pdf")),
                                                    QStringLiteral("PDF files (*.pdf)"));
    if (path.isEmpty())
        return false;
    if (const QString error = saveDocumentAsPdf(document(table, out.host), path);
        !error.isEmpty()) {
        out.host.message(error);
        return false;
    }
    return true;
}

void TableButtons::setEnabled(bool enabled) const {
    for (QPushButton* b : {cmdExport, cmdPrint, cmdPdf})
        b->setEnabled(enabled);
}

TableButtons addTableButtons(QWidget* window, QBoxLayout* row, const TableOutput& out,
                             std::function<exports::Table()> table) {
    const auto button = [&](const char* name, const QString& caption, auto action) {
        auto* b = new QPushButton(caption, window);
        b->setObjectName(QLatin1String(name));
        b->setAccessibleName(QString(caption).remove(u'&').remove(QStringLiteral("...")));
        b->setAutoDefault(false);
        QObject::connect(b, &QPushButton::clicked, window, [=] { action(table(), out, window); });
        row->addWidget(b);
        return b;
    };
    TableButtons buttons;
    buttons.cmdExport = button("cmdExport", QStringLiteral("E&xport..."), exportTable);
    buttons.cmdPrint = button("cmdPrint", QStringLiteral("&Print..."), printTable);
    buttons.cmdPdf = button("cmdPdf", QStringLiteral("Save as P&DF..."), saveTableAsPdf);
    return buttons;
}

} // namespace tw
