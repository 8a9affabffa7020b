#include "ledger/posting.h"

#include "ledger/journal.h"
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "platform/host.h"
#include "platform/ioerror.h"
#include "platform/log.h"
#include "platform/regional.h"
#include "platform/text1252.h"

namespace tw::ledger {

namespace {

const QString kBlankMessage = QStringLiteral("Warning: Customer, Date or Amount Cannot Be Blank!");
const QString kNothingPosted = QStringLiteral("Nothing was posted.");
const QString kInvoiceDate = QStringLiteral("Invoice Date");
const QString kDueDate = QStringLiteral("Due Date");
const QString kPreTax = QStringLiteral("Pre-Tax Amount");
const QString kTax = QStringLiteral("Tax");
const QString kInvoiceAmount = QStringLiteral("Invoice Amount");

bool isBlank(const QString& text) {
    return text.trimmed().isEmpty();
}

// A money box's amount in cents: empty or blank is zero; nullopt when it is no number.
std::optional<std::int64_t> boxCents(const QString& text) {
    if (isBlank(text))
        return 0;
    return regional::toCents(text);
}

Prepared refused(const QString& message, const QString& field) {
    return {std::nullopt, message, field};
}

QString notADate(const QString& field, const QString& text) {
    return QStringLiteral("The %1 \"%2\" is not a date. %3")
        .arg(field, text.trimmed(), kNothingPosted);
}

QString notANumber(const QString& field, const QString& text) {
    return QStringLiteral("The %1 \"%2\" is not a number. %3")
        .arg(field, text.trimmed(), kNothingPosted);
}

// The record keeps two-digit years, which the ledger reads as 1930 to 2029.
bool storableYear(const QDate& date) {
    return date.year() >= regional::kFirstYear && date.year() <= regional::kLastYear;
}

QString yearNotStorable(const QString& field, const QString& text) {
    return QStringLiteral("The %1 \"%2\" is outside the years %3 to %4 that the ledger can "
                          "hold. %5")
        .arg(field, text.trimmed())
        .arg(regional::kFirstYear)
        .arg(regional::kLastYear)
        .arg(kNothingPosted);
}

// The invoice number and the amount as the record stores them, for the log.
QString recordSummary(const QByteArray& record) {
    return QStringLiteral("invoice \"%1\" amount %2")
        .arg(ansi::decode(record.left(8)).trimmed(),
             QString::fromLatin1(record.mid(116, LedgerEntryRecord::kAmountWidth).trimmed()));
}

} // namespace

Posting Posting::toLedger(int ledger, const QByteArray& record, const QString& customer) {
    Posting p;
    p.record = record;
    p.ledger = ledger;
    p.customer = customer;
    p.invoice = ansi::decode(record.left(8)).trimmed();
    return p;
}

Prepared prepare(const EntryTexts& e) {
    if (isBlank(e.customer))
        return refused(kBlankMessage, QStringLiteral("Customer Name"));
    if (isBlank(e.invoiceDate))
        return refused(kBlankMessage, kInvoiceDate);
    if (isBlank(e.preTax))
        return refused(kBlankMessage, kPreTax);

    // A character the ledger files cannot hold would be stored as "?" without a word; in the
    // name, two different names could then share one ledger.
    const std::pair<QString, const QString*> texts[] = {
        {QStringLiteral("Customer Name"), &e.customer},
        {QStringLiteral("Invoice Number"), &e.invoice},
        {QStringLiteral("Job Number"), &e.job},
        {QStringLiteral("P.O. Number"), &e.po},
        {QStringLiteral("Product Code"), &e.product},
        {QStringLiteral("Description"), &e.description}};
    for (const auto& [field, text] : texts) {
        if (ansi::decode(ansi::encode(*text)) != *text) {
            return refused(QStringLiteral("The %1 \"%2\" has characters that the ledger files "
                                          "cannot hold. %3")
                               .arg(field, text->trimmed(), kNothingPosted),
                           field);
        }
    }
    const auto invoiceDate = regional::readDate(e.invoiceDate, e.today);
    if (!invoiceDate)
        return refused(notADate(kInvoiceDate, e.invoiceDate), kInvoiceDate);
    if (!storableYear(*invoiceDate))
        return refused(yearNotStorable(kInvoiceDate, e.invoiceDate), kInvoiceDate);
    QDate dueDate;
    if (!isBlank(e.dueDate)) {
        const auto due = regional::readDate(e.dueDate, e.today);
        if (!due)
            return refused(notADate(kDueDate, e.dueDate), kDueDate);
        if (!storableYear(*due))
            return refused(yearNotStorable(kDueDate, e.dueDate), kDueDate);
        dueDate = *due;
    }

    // Without the tax switch, a typed invoice amount is the amount (it replaces the pre-tax
    // amount, and no tax is shown).
    const bool invoiceAmountOnly = !isBlank(e.invoiceAmount) && !e.taxOn;
    const QString& preTaxText = invoiceAmountOnly ? e.invoiceAmount : e.preTax;
    const auto invoiceAmount = boxCents(e.invoiceAmount);
    if (!invoiceAmount)
        return refused(notANumber(kInvoiceAmount, e.invoiceAmount), kInvoiceAmount);
    const auto preTax = boxCents(preTaxText);
    if (!preTax)
        return refused(notANumber(kPreTax, preTaxText), kPreTax);
    // With the tax switch on, the amount stored is the invoice amount shown; it must be the
    // pre-tax amount and the tax shown beside it, or the ledger would hold another figure
    // than the screen (an amount changed after the tax was computed).
    if (e.taxOn && !isBlank(e.invoiceAmount)) {
        const auto tax = boxCents(e.tax);
        if (!tax)
            return refused(notANumber(kTax, e.tax), kTax);
        if (*preTax + *tax != *invoiceAmount) {
            return refused(QStringLiteral("The Invoice Amount %1 is not the Pre-Tax Amount %2 "
                                          "plus the Tax %3. %4")
                               .arg(regional::formatMoney(*invoiceAmount),
                                    regional::formatMoney(*preTax), regional::formatMoney(*tax),
                                    kNothingPosted),
                           kInvoiceAmount);
        }
    }

    LedgerEntryRecord rec;
    rec.InvoiceNumber = e.invoice;
    rec.InvoiceDate = *invoiceDate;
    rec.DueDate = dueDate;
    rec.JobNumber = e.job;
    rec.ProductCode = e.product;
    rec.PONumber = e.po;
    rec.Description = e.description;
    rec.AmountCents = *invoiceAmount != 0 ? *invoiceAmount : *preTax;
    const auto bytes = rec.encode();
    if (!bytes) {
        return refused(QStringLiteral("The amount %1 cannot be stored in the ledger: it keeps "
                                      "amounts below $10,000,000.00 in at most 10 characters "
                                      "(such as 9999999.99 or -999999.99). %2")
                           .arg(regional::formatMoney(rec.AmountCents), kNothingPosted),
                       *invoiceAmount != 0 ? kInvoiceAmount : kPreTax);
    }
    std::optional<int> ledger;
    if (!e.ledgerShown.isEmpty()) {
        ledger = parseLedgerNumber(e.ledgerShown);
        if (!ledger) {
            return refused(
                QStringLiteral("The Ledger Number \"%1\" is not a ledger number of 5 digits. %2")
                    .arg(e.ledgerShown, kNothingPosted),
                QStringLiteral("Ledger Number"));
        }
    }

    Posting p;
    p.record = *bytes;
    p.ledger = ledger;
    p.startsLedger = ledger && e.ledgerJustMade;
    p.customer = e.customer;
    p.invoice = e.invoice;
    p.amountCents = rec.AmountCents;
    return {p, QString(), QString()};
}

PostOutcome post(LedgerStore& store, const Posting& posting, const AfterDurable& after) {
    PostOutcome out;
    try {
        if (posting.ledger) {
            out.ledger = *posting.ledger;
        } else {
            const auto a = store.allocateLedger(posting.customer);
            out.ledger = a.number;
            out.created = a.created;
        }
        const std::int64_t n = store.appendEntry(ledgerNumberText(out.ledger), posting.record);
        out.offset = (n - 1) * LedgerEntryRecord::kLength;
    } catch (const IoError& e) {
        out.error = QStringLiteral("The invoice was not posted. %1").arg(e.text());
        if (out.ledger != 0 && !posting.ledger) {
            out.error += QStringLiteral(" The customer now has ledger %1; posting again adds "
                                        "the invoice to it.")
                             .arg(ledgerNumberText(out.ledger));
        }
        qCWarning(lcPosting).noquote()
            << "not posted:" << recordSummary(posting.record) << "customer"
            << QStringLiteral("\"%1\"").arg(posting.customer.trimmed()) << "-" << out.error;
        return out;
    }
    out.posted = true;
    qCInfo(lcPosting).noquote() << QStringLiteral("posted to ledger %1%2 %3 at offset %4 of %5")
                                       .arg(ledgerNumberText(out.ledger),
                                            out.created ? QStringLiteral(" (new)") : QString(),
                                            recordSummary(posting.record))
                                       .arg(out.offset)
                                       .arg(store.ledgerPath(ledgerNumberText(out.ledger)));
    out.warning = journalPosting(store, posting, out);
    if (after) {
        const QString more = after(posting, out);
        out.warning = out.warning.isEmpty() ? more : out.warning + QLatin1Char(' ') + more;
    }
    return out;
}

std::optional<QString> duplicateQuestion(const LedgerStore& store, const Posting& posting) {
    if (!posting.ledger)
        return std::nullopt;
    const QString number = ledgerNumberText(*posting.ledger);
    const auto found = store.findInvoice(number, QByteArrayView(posting.record).first(8));
    if (!found)
        return std::nullopt;
    const StoredEntry e = decodeEntry(*found);
    const QString date = e.InvoiceDate.isValid() ? regional::shortDate(e.InvoiceDate)
                         : e.InvoiceDateText.trimmed().isEmpty() ? QStringLiteral("(no date)")
                                                                 : e.InvoiceDateText;
    const QString amount = amountShown(e);
    return QStringLiteral("Invoice %1 is already in ledger %2, dated %3, for %4. Post it again?")
        .arg(e.InvoiceNumber.trimmed(), number, date, amount);
}

std::optional<QString> missingFileQuestion(const LedgerStore& store, const Posting& posting) {
    if (!posting.ledger || posting.startsLedger)
        return std::nullopt;
    const QString number = ledgerNumberText(*posting.ledger);
    if (store.hasLedgerFile(number))
        return std::nullopt;
    return QStringLiteral("Ledger %1 is in the index, but its file %2 does not exist. Start it "
                          "with this invoice?")
        .arg(number, store.ledgerPath(number));
}

PostOutcome postEntry(const EntryTexts& entry, LedgerStore& store, Host& host,
                      const AfterDurable& after) {
    PostOutcome out;
    const Prepared prepared = prepare(entry);
    if (!prepared.posting) {
        out.error = prepared.refusal;
        qCInfo(lcPosting).noquote() << "refused:" << out.error;
        return out;
    }
    try {
        for (const auto& question : {missingFileQuestion, duplicateQuestion}) {
            if (const auto q = question(store, *prepared.posting); q && !host.question(*q)) {
                qCInfo(lcPosting).noquote() << "not posted, the operator declined:" << *q;
                return out;
            }
        }
    } catch (const IoError& e) {
        out.error = QStringLiteral("The invoice was not posted. %1").arg(e.text());
        qCWarning(lcPosting).noquote() << "not posted:" << out.error;
        return out;
    }
    return post(store, *prepared.posting, after);
}

} // namespace tw::ledger
