#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QLoggingCategory>
#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <memory>
#include <mutex>

// One category per module, so that a run can be narrowed with QT_LOGGING_RULES
// (for example "tw.ledger.debug=false").
Q_DECLARE_LOGGING_CATEGORY(lcStartup)
Q_DECLARE_LOGGING_CATEGORY(lcPosting)
Q_DECLARE_LOGGING_CATEGORY(lcLedger)
Q_DECLARE_LOGGING_CATEGORY(lcDatabase)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
Q_DECLARE_LOGGING_CATEGORY(lcSources)

namespace tw {

// A log file that never grows past its limit: when the next line would pass it, the file
// becomes "<name>.1" (replacing the older one) and a new file starts. Writing never throws,
// never blocks on a special file and never shows anything: a log that cannot be written
// must not stop a posting. A failed open or write is tried again with the next line, so a
// folder that becomes writable is used again.
class LogFile {
public:
    static constexpr std::int64_t kDefaultLimit = 1024 * 1024;

    explicit LogFile(QString path, std::int64_t limitBytes = kDefaultLimit);
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Appends one line (a line end is added); false when it could not be written.
    bool write(const QByteArray& line);
    const QString& path() const { return path_; }

private:
    bool openFile();
    void closeFile();
    bool rotate();

    QString path_;
    QByteArray nativePath_;
    QByteArray olderPath_;
    std::int64_t limit_;
    std::int64_t size_ = 0;
    int fd_ = -1;
};

// The log line as it is written: time, level, category, message.
QByteArray formatLogLine(QtMsgType type, const char* category, const QString& message,
                         const QDateTime& when);

// Sends every message of the program to standard error and to "tallywork.log" in the given
// folder while it lives; the previous handler returns when it ends. One lives at a time, made
// by the program's start-up.
class LogInstallation {
public:
    explicit LogInstallation(const QString& folder,
                             std::int64_t limitBytes = LogFile::kDefaultLimit);
    ~LogInstallation();
    LogInstallation(const LogInstallation&) = delete;
    LogInstallation& operator=(const LogInstallation&) = delete;

    const QString& logPath() const { return file_.path(); }
    // When false, messages go to the log file only (tests keep their output readable).
    void setEchoToStandardError(bool on);

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& message);
    void log(QtMsgType type, const char* category, const QString& message);

    std::mutex mutex_;
    LogFile file_;
    bool echo_ = true;
    QtMessageHandler previous_ = nullptr;
    LogInstallation* outer_ = nullptr;
};

// The name of the log file in the program folder.
QString logFileName();

} // namespace tw
