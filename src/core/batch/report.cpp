#include "batch/report.h"

#include "ledger/journal.h"
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "platform/blanks.h"
#include "platform/dospath.h"
#include "platform/regional.h"
#include "settings/settings.h"

#include <QTextStream>

#include <algorithm>

namespace tw::batch {

RowReport reportRow(RowReader& reader, const ledger::LedgerStore& store, const Batch& batch,
                    const BatchResult* result, int row) {
    const Row& r = batch.rows[std::size_t(row)];
    RowReport report;
    report.ledger = r.ledger > 0 ? ledger::ledgerNumberText(r.ledger) : QString();
    const RowResult* done = result ? &result->rows[std::size_t(row)] : nullptr;
    if (!done || done->outcome == Outcome::NotTicked) {
        report.outcome = done && r.canTick() && r.status != Status::Duplicate
                             ? QStringLiteral("Not ticked")
                             : statusName(r.status);
        report.message = reader.message(store, row);
        return report;
    }
    if (done->ledger > 0)
        report.ledger = ledger::ledgerNumberText(done->ledger);
    switch (done->outcome) {
    case Outcome::Posted:
        report.outcome = QStringLiteral("Posted");
        break;
    case Outcome::PostedMeanwhile:
        report.outcome = statusName(Status::Duplicate);
        report.message = QStringLiteral("Another machine posted this invoice to ledger %1 after "
                                        "the file was checked; it was not posted again.")
                             .arg(report.ledger);
        break;
    case Outcome::Failed:
        report.outcome = QStringLiteral("Failed");
        report.message = result->failures.value(done->failure);
        break;
    case Outcome::Cancelled:
    case Outcome::NotTicked:
        report.outcome = QStringLiteral("Cancelled");
        report.message = QStringLiteral("The posting was cancelled before this row's ledger.");
        break;
    }
    return report;
}

Summary summaryOf(const Batch& batch, const BatchResult* result) {
    Summary s;
    for (std::size_t i = 0; i < batch.rows.size(); ++i) {
        const Row& r = batch.rows[i];
        const Outcome o = result     ? result->rows[i].outcome
                          : r.ticked ? Outcome::Posted
                                     : Outcome::NotTicked;
        if (o == Outcome::Posted)
            ++s.posted;
        else if (r.status == Status::Error || o == Outcome::Failed || o == Outcome::Cancelled)
            ++s.failed;
        else
            ++s.skipped;
    }
    return s;
}

QString summaryLine(const Summary& s) {
    return QStringLiteral("%1 posted, %2 skipped, %3 failed")
        .arg(s.posted)
        .arg(s.skipped)
        .arg(s.failed);
}

QString tickedLine(const Batch& batch) {
    const int n = batch.tickedRows();
    return QStringLiteral("%1 %2 ticked, %3 in all")
        .arg(n)
        .arg(n == 1 ? QStringLiteral("row") : QStringLiteral("rows"),
             regional::formatMoney(batch.tickedCents()));
}

QString progressText(const Progress& p) {
    return QStringLiteral("Posting row %1 of %2: %3")
        .arg(std::min(p.rowsDone + 1, p.rowsTotal))
        .arg(p.rowsTotal)
        .arg(p.customer);
}

QString checkCancelledText() {
    return QStringLiteral("The check was cancelled. Nothing can be posted until the file is "
                          "checked to its end.");
}

QString reversalMessage(const ReversalOutcome& outcome) {
    QStringList lines{QStringLiteral("%1 %2 reversed.")
                          .arg(outcome.reversed)
                          .arg(outcome.reversed == 1 ? QStringLiteral("invoice was")
                                                     : QStringLiteral("invoices were"))};
    lines << outcome.problems;
    if (!outcome.warning.isEmpty())
        lines << outcome.warning;
    return lines.join(QLatin1Char('\n'));
}

QByteArray reportCsv(const ledger::LedgerStore& store, const Batch& batch,
                     const BatchResult& result) {
    QByteArray csv = "row,outcome,ledger,customer,invoice,amount,message\r\n";
    RowReader reader(batch);
    const int customer = columnOf(batch.columns, Field::Customer);
    const int invoice = columnOf(batch.columns, Field::Invoice);
    for (std::size_t i = 0; i < batch.rows.size(); ++i) {
        const Row& r = batch.rows[i];
        const RowReport report = reportRow(reader, store, batch, &result, int(i));
        const QStringList fields = reader.fields(int(i));
        const QString texts[] = {
            QString::number(r.number),
            report.outcome,
            report.ledger,
            fields.value(customer),
            fields.value(invoice),
            r.status == Status::Error ? QString() : ledger::plainAmount(r.cents),
            report.message,
        };
        QByteArray line;
        for (const QString& t : texts)
            line += (line.isEmpty() ? "" : ",") + ledger::csvField(t);
        csv += line + "\r\n";
    }
    return csv;
}

int runPostFile(const PostFileRequest& request, const DosPaths& paths, QTextStream& out,
                QTextStream& err) {
    const auto finish = [&](int code) {
        out.flush();
        err.flush();
        return code;
    };
    const settings::SettingsStore settings(paths.programFolder());
    const QString folder = settings.read(settings::kLedger).value_or(QString());
    if (!settings::isDosFolder(folder)) {
        err << "The ledger folder is not set: " << settings.pathOf(settings::kLedger)
            << " is missing or holds no DOS folder.\n";
        return finish(1);
    }
    Options options = request.options;
    options.defaultTax = settings.read(settings::kDefTax).value_or(QStringLiteral("0"));
    ledger::LedgerStore store(paths, folder);

    BatchChecker checker(store, request.path, options);
    if (!checker.open()) {
        err << checker.error() << '\n';
        return finish(1);
    }
    if (const auto remembered = recallColumns(settings, checker.header()))
        checker.setColumns(*remembered);
    if (const QString missing = checker.missingColumns(); !missing.isEmpty()) {
        err << missing << '\n';
        return finish(1);
    }
    while (checker.checkSome(1000)) {
    }
    if (!checker.error().isEmpty()) {
        err << checker.error() << '\n';
        return finish(1);
    }
    const Batch batch = checker.takeBatch();
    std::optional<BatchResult> result;
    if (!request.dryRun) {
        result = postBatch(store, batch);
        if (!result->refusal.isEmpty()) {
            err << result->refusal << '\n';
            return finish(1);
        }
    }
    const BatchResult* done = result ? &*result : nullptr;
    RowReader reader(batch);
    const int invoice = columnOf(batch.columns, Field::Invoice);
    for (std::size_t i = 0; i < batch.rows.size(); ++i) {
        const RowReport report = reportRow(reader, store, batch, done, int(i));
        out << "row " << batch.rows[i].number << '\t' << report.outcome.toLower() << '\t'
            << (report.ledger.isEmpty() ? QStringLiteral("-") : report.ledger) << '\t'
            << trimBlanks(reader.fields(int(i)).value(invoice)).toString();
        if (!report.message.isEmpty())
            out << '\t' << QString(report.message).replace(QLatin1Char('\n'), QLatin1Char(' '));
        out << '\n';
    }
    for (const NewLedger& n : batch.newLedgers) {
        int number = n.number; // as it would be given; a real run tells the one it got
        for (std::size_t i = 0; done && i < batch.rows.size(); ++i) {
            if (batch.rows[i].ledger == n.number && done->rows[i].ledger > 0) {
                number = done->rows[i].ledger;
                break;
            }
        }
        out << (done ? "new ledger " : "new ledger (would be) ") << ledger::ledgerNumberText(number)
            << " for \"" << n.name << "\"\n";
    }
    if (done && !done->warning.isEmpty())
        err << done->warning << '\n';
    const Summary summary = summaryOf(batch, done);
    out << summaryLine(summary)
        << (request.dryRun ? QStringLiteral(" (dry run: nothing was written)") : QString()) << '\n';
    // A row held back by default (its ledger has no file) is neither posted nor a duplicate.
    const bool held = std::any_of(batch.rows.cbegin(), batch.rows.cend(), [](const Row& r) {
        return !r.ticked && r.canTick() && r.status != Status::Duplicate;
    });
    return finish(summary.failed == 0 && !held ? 0 : 1);
}

} // namespace tw::batch
