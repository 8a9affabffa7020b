#include "platform/log.h"

#include "platform/text1252.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <atomic>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcStartup, "tw.startup")
Q_LOGGING_CATEGORY(lcPosting, "tw.posting")
Q_LOGGING_CATEGORY(lcLedger, "tw.ledger")
Q_LOGGING_CATEGORY(lcDatabase, "tw.database")
Q_LOGGING_CATEGORY(lcSettings, "tw.settings")
Q_LOGGING_CATEGORY(lcSources, "tw.sources")

namespace tw {

namespace {

// Writes all bytes or gives up; a slow or full disk ends the attempt instead of looping.
bool writeAllBytes(int fd, const char* data, std::int64_t len) {
    while (len > 0) {
        const ssize_t n = ::write(fd, data, size_t(len));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        len -= n;
    }
    return true;
}

// Qt's message handler is a plain function, so the installation it serves has to be
// reachable from one; only the installation itself sets it.
std::atomic<LogInstallation*>& activeInstallation() {
    static std::atomic<LogInstallation*> active{nullptr};
    return active;
}

const char* levelName(QtMsgType type) {
    switch (type) {
    case QtDebugMsg:
        return "debug";
    case QtInfoMsg:
        return "info";
    case QtWarningMsg:
        return "warning";
    case QtCriticalMsg:
        return "critical";
    case QtFatalMsg:
        return "fatal";
    }
    return "?";
}

} // namespace

QString logFileName() {
    return QStringLiteral("tallywork.log");
}

LogFile::LogFile(QString path, std::int64_t limitBytes)
    : path_(std::move(path)), nativePath_(QFile::encodeName(path_)), olderPath_(nativePath_ + ".1"),
      limit_(limitBytes < 2 ? 2 : limitBytes) {}

LogFile::~LogFile() {
    closeFile();
}

bool LogFile::openFile() {
    // Non-blocking: a FIFO in the log's place must not stop the program in open().
    fd_ = ::open(nativePath_.constData(),
                 O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
    if (fd_ < 0)
        return false;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        closeFile();
        return false;
    }
    size_ = st.st_size;
    return true;
}

void LogFile::closeFile() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool LogFile::rotate() {
    closeFile();
    if (::rename(nativePath_.constData(), olderPath_.constData()) != 0) {
        // The older file's place is taken by something else: start this file afresh rather
        // than let it grow past its limit.
        if (!openFile())
            return false;
        if (::ftruncate(fd_, 0) != 0) {
            closeFile();
            return false;
        }
        size_ = 0;
        return true;
    }
    return openFile();
}

bool LogFile::write(const QByteArray& line) {
    QByteArray out = line.left(limit_ - 1);
    out.append('\n');
    if (fd_ < 0 && !openFile())
        return false;
    // Another copy of the program may write to the same file: take its length from the file.
    struct stat st {};
    if (::fstat(fd_, &st) == 0)
        size_ = st.st_size;
    if (size_ > 0 && size_ + out.size() > limit_ && !rotate())
        return false;
    if (!writeAllBytes(fd_, out.constData(), out.size())) {
        closeFile();
        return false;
    }
    size_ += out.size();
    return true;
}

QByteArray formatLogLine(QtMsgType type, const char* category, const QString& message,
                         const QDateTime& when) {
    QByteArray line = when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toUtf8();
    line += ' ';
    line += levelName(type);
    line += ' ';
    line += (category && *category) ? category : "default";
    line += ": ";
    // One message is one line, so a file can be read line by line; any other control
    // character (a NUL in a path) is written escaped, never raw.
    QString text = message;
    text.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    line += ansi::printable(text).toUtf8();
    return line;
}

LogInstallation::LogInstallation(const QString& folder, std::int64_t limitBytes)
    : file_(QDir(folder).filePath(logFileName()), limitBytes) {
    outer_ = activeInstallation().exchange(this);
    previous_ = qInstallMessageHandler(&LogInstallation::handler);
}

LogInstallation::~LogInstallation() {
    qInstallMessageHandler(previous_);
    activeInstallation().store(outer_);
}

void LogInstallation::setEchoToStandardError(bool on) {
    std::lock_guard<std::mutex> guard(mutex_);
    echo_ = on;
}

void LogInstallation::handler(QtMsgType type, const QMessageLogContext& context,
                              const QString& message) {
    // A message raised while a message is being written would wait for itself.
    thread_local bool writing = false;
    LogInstallation* self = activeInstallation().load();
    if (!self || writing)
        return;
    writing = true;
    self->log(type, context.category, message);
    writing = false;
}

void LogInstallation::log(QtMsgType type, const char* category, const QString& message) {
    const QByteArray line = formatLogLine(type, category, message, QDateTime::currentDateTime());
    std::lock_guard<std::mutex> guard(mutex_);
    if (echo_) {
        QByteArray err = line;
        err.append('\n');
        writeAllBytes(STDERR_FILENO, err.constData(), err.size());
    }
    file_.write(line);
}

} // namespace tw
