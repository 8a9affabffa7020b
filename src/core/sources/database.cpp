#include "sources/database.h"

#include "settings/settings.h"

#include "platform/appinfo.h"
#include "platform/log.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

// mdbtools.h includes glib.h inside extern "C", which C++ rejects: glib comes first.
#include <glib.h>
#include <mdbtools.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace tw::sources {

namespace {

struct Failure {
    QString why;
};

// One table of an Access database, read row by row in table order. Fields are bound by
// name; NULL and empty text are told apart by cracking the current row again, since
// bound columns give both as an empty text.
class AccessTable {
public:
    AccessTable(const QString& nativePath, const QString& displayName, const char* table,
                std::initializer_list<const char*> fields)
        : display_(displayName) {
        const QFileInfo fi(nativePath);
        // A folder or a device is no database; a FIFO would even block the open.
        if (nativePath.isEmpty() || !fi.exists())
            throw Failure{QStringLiteral("The database %1 does not exist.").arg(display_)};
        if (!fi.isFile())
            throw Failure{QStringLiteral("%1 is not a database file.").arg(display_)};

        const QByteArray name = QFile::encodeName(nativePath);
        mdb_ = mdb_open(name.constData(), MDB_NOFLAGS);
        if (!mdb_)
            throw Failure{QStringLiteral("%1 is not an Access database.").arg(display_)};
        if (!mdb_read_catalog(mdb_, MDB_TABLE))
            throw Failure{QStringLiteral("The database %1 is damaged.").arg(display_)};

        QByteArray tableName(table);
        table_ = mdb_read_table_by_name(mdb_, tableName.data(), MDB_TABLE);
        if (!table_) {
            throw Failure{QStringLiteral("The database %1 has no table %2.")
                              .arg(display_, QLatin1String(table))};
        }
        if (!mdb_read_columns(table_) || !table_->columns)
            throw Failure{QStringLiteral("The database %1 is damaged.").arg(display_)};

        const unsigned numCols = table_->columns->len;
        for (const char* field : fields) {
            int found = -1;
            for (unsigned i = 0; i < numCols; ++i) {
                const auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, i));
                if (g_ascii_strcasecmp(col->name, field) == 0) {
                    found = int(i);
                    break;
                }
            }
            if (found < 0) {
                throw Failure{QStringLiteral("The table %1 of the database %2 has no field %3.")
                                  .arg(QLatin1String(table), display_, QLatin1String(field))};
            }
            columns_.push_back(found);
        }

        // Cracking a row fills one entry per column of the table.
        cracked_.resize(qMax<std::size_t>(std::max(numCols, table_->num_cols), 256) + 1);
        buffers_.resize(columns_.size());
        lengths_.assign(columns_.size(), 0);
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            buffers_[i].assign(mdb_->bind_size + 1, '\0');
            mdb_bind_column(table_, columns_[i] + 1, buffers_[i].data(), &lengths_[i]);
        }
        mdb_rewind_table(table_);
    }

    ~AccessTable() {
        if (table_)
            mdb_free_tabledef(table_);
        if (mdb_)
            mdb_close(mdb_);
    }
    AccessTable(const AccessTable&) = delete;
    AccessTable& operator=(const AccessTable&) = delete;

    // The next row, false past the last one.
    bool next() {
        if (!mdb_fetch_row(table_))
            return false;
        ++visited_;
        int start = 0;
        size_t size = 0;
        if (table_->cur_row < 1 ||
            mdb_find_row(mdb_, int(table_->cur_row) - 1, &start, &size) != 0 ||
            mdb_crack_row(table_, start & 0x1fff, size, cracked_.data()) < 0) {
            throw Failure{QStringLiteral("A row of the table %1 in the database %2 cannot be read.")
                              .arg(QLatin1String(table_->name), display_)};
        }
        return true;
    }

    // Field i (in the order given) as text; nullopt for NULL. Numbers come as plain decimals.
    std::optional<QString> value(std::size_t i) const {
        if (cracked_[std::size_t(columns_[i])].is_null)
            return std::nullopt;
        const int len = qBound(0, lengths_[i], int(buffers_[i].size()) - 1);
        return QString::fromUtf8(buffers_[i].data(), len);
    }
    // NULL counts as empty text.
    QString text(std::size_t i) const { return value(i).value_or(QString()); }

    // A damaged or truncated file ends the scan early without an error from the library;
    // the table's own row count tells.
    void checkComplete() const {
        if (visited_ < table_->num_rows) {
            throw Failure{QStringLiteral("The table %1 in the database %2 is damaged: %3 of its "
                                         "%4 rows could be read.")
                              .arg(QLatin1String(table_->name), display_)
                              .arg(visited_)
                              .arg(table_->num_rows)};
        }
    }

private:
    QString display_;
    MdbHandle* mdb_ = nullptr;
    MdbTableDef* table_ = nullptr;
    std::vector<int> columns_;
    std::vector<std::vector<char>> buffers_;
    std::vector<int> lengths_;
    std::vector<MdbField> cracked_;
    unsigned visited_ = 0;
};

// Marks the reader's answer, so that stray output is not taken for a list.
constexpr quint32 kResultTag = 0x54574442;

Failure noRows(const char* table, const QString& display) {
    return Failure{QStringLiteral("The table %1 in the database %2 has no rows.")
                       .arg(QLatin1String(table), display)};
}

LoadResult readCustomers(const QString& nativePath, const QString& displayName) {
    LoadResult result;
    try {
        AccessTable t(nativePath, displayName, "CLIENT", {"ClientID", "Name"});
        if (!t.next())
            throw noRows("CLIENT", displayName);
        do {
            if (t.text(0).isEmpty())
                continue;
            const std::optional<QString> name = t.value(1);
            if (!name) {
                throw Failure{QStringLiteral("The customer %1 in the database %2 has no name.")
                                  .arg(t.text(0), displayName)};
            }
            result.entries << *name;
        } while (t.next());
        t.checkComplete();
    } catch (const Failure& f) {
        result.fail(f.why);
    }
    return result;
}

LoadResult readProducts(const QString& nativePath, const QString& displayName) {
    LoadResult result;
    try {
        AccessTable t(nativePath, displayName, "PROD", {"ProductID", "Desc"});
        if (!t.next())
            throw noRows("PROD", displayName);
        do {
            const QString id = t.text(0);
            if (id.isEmpty())
                continue;
            result.entries << id + QLatin1Char('-') + t.text(1);
        } while (t.next());
        t.checkComplete();
    } catch (const Failure& f) {
        result.fail(f.why);
    }
    return result;
}

// A missing file, a folder or a device is told without starting a reader.
std::optional<LoadResult> notAFile(const QString& nativePath, const QString& displayName) {
    const QFileInfo fi(nativePath);
    LoadResult result;
    if (nativePath.isEmpty() || !fi.exists())
        result.fail(QStringLiteral("The database %1 does not exist.").arg(displayName));
    else if (!fi.isFile())
        result.fail(QStringLiteral("%1 is not a database file.").arg(displayName));
    else
        return std::nullopt;
    return result;
}

} // namespace

std::optional<QString> databaseLocation(const settings::SettingsStore& store) {
    auto value = store.read(settings::kDbLoc);
    if (!value || value->isEmpty())
        return std::nullopt;
    return value;
}

LoadResult readDatabaseTable(DatabaseTable table, const QString& nativePath,
                             const QString& displayName) {
    return table == DatabaseTable::Customers ? readCustomers(nativePath, displayName)
                                             : readProducts(nativePath, displayName);
}

QByteArray encodeLoadResult(const LoadResult& result) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << kResultTag << result.ok << result.failure << result.message << result.entries;
    return bytes;
}

std::optional<LoadResult> decodeLoadResult(const QByteArray& bytes) {
    QDataStream in(bytes);
    quint32 tag = 0;
    LoadResult result;
    in >> tag >> result.ok >> result.failure >> result.message >> result.entries;
    if (in.status() != QDataStream::Ok || tag != kResultTag || !in.atEnd())
        return std::nullopt;
    return result;
}

QString databaseReaderProgramName() {
    return QStringLiteral("tallywork-dbread");
}

DatabaseReader::DatabaseReader()
    : program_(
          findHelperProgram(databaseReaderProgramName(),
                            {QCoreApplication::applicationDirPath(), installedHelperFolder()})) {}

LoadResult DatabaseReader::read(DatabaseTable table, const QString& nativePath,
                                const QString& displayName) const {
    std::optional<LoadResult> refused = notAFile(nativePath, displayName);
    LoadResult result = refused ? *refused : runReader(table, nativePath, displayName);
    if (!result.ok)
        qCWarning(lcDatabase).noquote() << result.failure;
    return result;
}

LoadResult DatabaseReader::runReader(DatabaseTable table, const QString& nativePath,
                                     const QString& displayName) const {
    const BusyScope busy(busy_);
    QProcess reader;
    // The library's complaints about damaged pages are no message for the operator.
    reader.setStandardErrorFile(QProcess::nullDevice());
    reader.setProgram(program_);
    reader.setArguments({table == DatabaseTable::Customers ? QStringLiteral("customers")
                                                           : QStringLiteral("products"),
                         nativePath, displayName});

    // Windows keep painting while the reader runs; what the operator types or clicks waits
    // until the lists are there.
    QEventLoop loop;
    bool timedOut = false;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    QObject::connect(&reader, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&reader, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            loop.quit();
    });
    limit.start(limit_);
    reader.start(QIODevice::ReadOnly);
    if (reader.state() != QProcess::NotRunning || reader.error() != QProcess::FailedToStart)
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    LoadResult result;
    if (reader.error() == QProcess::FailedToStart) {
        qCWarning(lcDatabase).noquote()
            << "reader" << program_ << "not started:" << reader.errorString();
        result.fail(QStringLiteral("The database %1 could not be read: the reader program %2 "
                                   "could not be started.")
                        .arg(displayName, program_));
        return result;
    }
    if (timedOut) {
        reader.kill();
        reader.waitForFinished(5000);
        result.fail(QStringLiteral("The database %1 is damaged: reading it did not end within "
                                   "%2 seconds.")
                        .arg(displayName)
                        .arg(limit_.count() / 1000));
        return result;
    }
    const QString damaged =
        QStringLiteral("The database %1 is damaged: it could not be read.").arg(displayName);
    if (reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0) {
        qCWarning(lcDatabase).noquote()
            << "reader of" << displayName << "ended with"
            << (reader.exitStatus() == QProcess::NormalExit
                    ? QStringLiteral("exit code %1").arg(reader.exitCode())
                    : QStringLiteral("a crash"));
        result.fail(damaged);
        return result;
    }
    const std::optional<LoadResult> answer = decodeLoadResult(reader.readAllStandardOutput());
    if (!answer) {
        result.fail(damaged);
        return result;
    }
    return *answer;
}

LoadResult loadDatabaseCustomers(const QString& nativePath, const QString& displayName,
                                 const DatabaseReader& reader) {
    return reader.read(DatabaseTable::Customers, nativePath, displayName);
}

LoadResult loadDatabaseProducts(const QString& nativePath, const QString& displayName,
                                const DatabaseReader& reader) {
    return reader.read(DatabaseTable::Products, nativePath, displayName);
}

} // namespace tw::sources
