#include "session/TrafficLog.h"

#include "link/Operator.h"
#include "link/TerminalView.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TrafficLog::TrafficLog(Session &session) : m_s(session) {}

TrafficLog::~TrafficLog()
{
    if (isOpen())
        ::close(LogFileNum);
}

QString TrafficLog::examine(const QString &path, bool &exists)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0) {
        exists = true;
        return {};
    }
    exists = false;
    // A missing file is the normal case of a new log; anything else (a folder
    // that is not one, a name too long, no access) is an error to report.
    return errno == ENOENT ? QString() : qt_error_string(errno);
}

void TrafficLog::reportError(const QString &description)
{
    m_s.op.message(description, Msg::Buttons::Ok, Msg::Icon::Exclamation);
}

void TrafficLog::MOpenLog_Click()
{
    if (isOpen())
        return; // the menu item is disabled while logging; never open two
    const FileDialogRequest request{kDialogTitle, kDialogFilter, QStringLiteral("LOG"), false, QString()};
    std::optional<FileChoice> choice;
    for (;;) {
        choice = m_s.op.openFile(request);
        if (!choice)
            return;
        LogFileName = choice->fileName;
        bool exists = false;
        const QString problem = examine(LogFileName, exists);
        if (!problem.isEmpty()) {
            reportError(problem);
            return;
        }
        if (!exists)
            break;
        const Msg::Answer answer =
            m_s.op.message(QStringLiteral("Replace existing file - ") + LogFileName + QStringLiteral("?"),
                           Msg::Buttons::YesNoCancel, Msg::Icon::Question);
        if (answer == Msg::Answer::Cancel)
            continue; // choose again
        if (answer == Msg::Answer::Yes && ::unlink(QFile::encodeName(LogFileName).constData()) != 0) {
            reportError(qt_error_string(errno));
            return;
        }
        break; // No keeps the file and appends to it
    }

    const QString problem = openForAppend(LogFileName);
    if (!problem.isEmpty()) {
        reportError(problem);
        return;
    }
    m_s.view.setWindowCaption(QStringLiteral("Demo Log - ") + choice->fileTitle);
    m_s.view.setLogMenus(true);
}

QString TrafficLog::openForAppend(const QString &fileName)
{
    if (isOpen())
        return QStringLiteral("A log file is already open");
    LogFileName = fileName;
    const int fd = ::open(QFile::encodeName(fileName).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0)
        return qt_error_string(errno);
    LogFileNum = fd;
    return {};
}

void TrafficLog::MCloseLog_Click()
{
    if (isOpen())
        ::close(LogFileNum);
    LogFileNum = -1;
    m_s.view.setLogMenus(false);
    m_s.view.setWindowCaption(kClosedCaption);
}

void TrafficLog::WriteLog(const QByteArray &text)
{
    qsizetype done = 0;
    while (isOpen() && done < text.size()) {
        const ssize_t n = ::write(LogFileNum, text.constData() + done, size_t(text.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        const QString description = n < 0 ? qt_error_string(errno) : QStringLiteral("The log file took no data");
        // Retry writes what has not reached the file yet: the part that did is
        // not written twice.
        if (m_s.op.message(description, Msg::Buttons::RetryCancel, Msg::Icon::Critical) != Msg::Answer::Retry) {
            if (isOpen())
                MCloseLog_Click();
            return;
        }
    }
}
