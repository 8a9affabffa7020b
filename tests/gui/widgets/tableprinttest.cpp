// Printed and PDF documents: pages with the headings on each, page numbers, the totals at the
// end; the printer only after the printer dialog.
#include "widgets/tableprint.h"
#include "guitestsupport.h"
#include "testregistry.h"

#include <QFile>
#include <QtTest>

using namespace tw;
using namespace tw::test;

namespace {

exports::PrintDocument document(int rows) {
    exports::PrintDocument d;
    d.title = QStringLiteral("Invoicing Activity by Customer");
    d.subtitle = QStringLiteral("Invoice dates 1/1/2006 to 12/31/2006");
    d.printed = QStringLiteral("Printed 1/15/2006 2:03 PM");
    d.headings = QStringList{"Customer", "Entries", "Amount"};
    d.rightAligned = {false, true, true};
    for (int i = 1; i <= rows; ++i)
        d.rows << QStringList{QStringLiteral("CUSTOMER %1").arg(i), "1", "$1.00"};
    d.totals << QStringList{"Grand Total", QString::number(rows), "$9.99"};
    return d;
}

QString pageText(const QString& pdf, int page) {
    const QString n = QString::number(page);
    return QString::fromUtf8(runTool("pdftotext", {"-f", n, "-l", n, pdf, "-"}));
}

} // namespace

class TablePrintTest : public QObject {
    Q_OBJECT
private slots:
    void pdfOfThreePages() {
        QTemporaryDir tmp;
        const QString pdf = tmp.filePath("report.pdf");
        PrintLayout layout;
        QCOMPARE(saveDocumentAsPdf(document(1), pdf, &layout), QString());
        QCOMPARE(layout.pages, 1);
        // Rows, the gap before the totals and the totals fill two pages and one line more.
        const int rows = 2 * layout.linesPerPage - 1;
        QCOMPARE(saveDocumentAsPdf(document(rows), pdf, &layout), QString());
        QCOMPARE(layout.pages, 3);
        QCOMPARE(pdfPages(pdf), 3);
        for (int page = 1; page <= 3; ++page) {
            const QString text = pageText(pdf, page);
            for (const char* heading : {"Invoicing Activity by Customer", "Customer", "Entries",
                                        "Amount", "Printed 1/15/2006 2:03 PM"})
                QVERIFY2(text.contains(heading), qPrintable(text));
            QVERIFY(text.contains(QStringLiteral("Page %1 of 3").arg(page)));
            QCOMPARE(text.contains("Grand Total"), page == 3);
        }
        QVERIFY(pageText(pdf, 2).contains(QStringLiteral("CUSTOMER %1").arg(rows)));
    }

    void printerOnlyAfterItsDialog() {
        AppFixture f;
        f.dialogs.pdfPath = f.tmp.filePath("printed.pdf");
        QVERIFY(!printDocument(document(3), f.dialogs, nullptr));
        QVERIFY(!QFile::exists(f.dialogs.pdfPath));
        f.dialogs.acceptPrinter = true;
        QVERIFY(printDocument(document(3), f.dialogs, nullptr));
        QCOMPARE(f.dialogs.printerDialogs, 2);
        QVERIFY(pageText(f.dialogs.pdfPath, 1).contains("Page 1 of 1"));
    }
};

TW_REGISTER_TEST(TablePrintTest)
#include "tableprinttest.moc"
