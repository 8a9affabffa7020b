#include "sources/database.h"

#include "settings/settings.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

// mdbtools.h includes glib.h inside extern "C", which C++ rejects: glib comes first.
#include <glib.h>
#include <mdbtools.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
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

Failure noRows(const char* table, const QString& display) {
    return Failure{QStringLiteral("The table %1 in the database %2 has no rows.")
                       .arg(QLatin1String(table), display)};
}

std::chrono::milliseconds gTimeLimit{30000};

bool writeAllTo(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// libmdb trusts the pages it reads: a damaged database can crash it or send it round a loop
// of pages for ever. So the reading runs in a child process that hands the list back through
// a pipe; a crash, or no answer within the time limit, is reported as a damaged database and
// the program goes on.
LoadResult readIsolated(const QString& displayName, const std::function<LoadResult()>& read) {
    LoadResult result;
    const QString damaged =
        QStringLiteral("The database %1 is damaged: it could not be read.").arg(displayName);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        result.fail(damaged);
        return result;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        result.fail(damaged);
        return result;
    }
    if (pid == 0) {
        ::close(fds[0]);
        // A crash ends the reader at once, whatever handler the program has set up.
        for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
            ::signal(sig, SIG_DFL);
        // The library's complaints about damaged pages are no message for the operator.
        const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (devNull >= 0)
            ::dup2(devNull, STDERR_FILENO);
        const LoadResult r = read();
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << r.ok << r.failure << r.message << r.entries;
        ::_exit(writeAllTo(fds[1], bytes) ? 0 : 1);
    }
    ::close(fds[1]);

    QByteArray bytes;
    bool timedOut = false;
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        const qint64 left = gTimeLimit.count() - timer.elapsed();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, int(qMin<qint64>(left, 1000)));
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        char buf[65536];
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        bytes.append(buf, n);
    }
    ::close(fds[0]);
    if (timedOut)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }

    if (timedOut) {
        result.fail(QStringLiteral("The database %1 is damaged: reading it did not end within "
                                   "%2 seconds.")
                        .arg(displayName)
                        .arg(gTimeLimit.count() / 1000));
        return result;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        result.fail(damaged);
        return result;
    }
    QDataStream in(bytes);
    in >> result.ok >> result.failure >> result.message >> result.entries;
    if (in.status() != QDataStream::Ok) {
        result = LoadResult();
        result.fail(damaged);
    }
    return result;
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

void setDatabaseTimeLimit(std::chrono::milliseconds limit) {
    gTimeLimit = limit;
}

std::optional<QString> databaseLocation(const settings::SettingsStore& store) {
    auto value = store.read(settings::kDbLoc);
    if (!value || value->isEmpty())
        return std::nullopt;
    return value;
}

LoadResult loadDatabaseCustomers(const QString& nativePath, const QString& displayName) {
    if (auto r = notAFile(nativePath, displayName))
        return *r;
    return readIsolated(displayName, [&] { return readCustomers(nativePath, displayName); });
}

LoadResult loadDatabaseProducts(const QString& nativePath, const QString& displayName) {
    if (auto r = notAFile(nativePath, displayName))
        return *r;
    return readIsolated(displayName, [&] { return readProducts(nativePath, displayName); });
}

} // namespace tw::sources
