#include "OperatorInput.h"
#include "OperatorWords.h"

#include "printer/device/VirtualPrinter.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
// A line longer than this is no action: it is dropped as it comes.
constexpr qsizetype kMaxLine = 256;
} // namespace

OperatorInput::OperatorInput(VirtualPrinter &printer, std::function<void(const QString &)> say, QObject *parent)
    : QObject(parent)
    , m_printer(printer)
    , m_say(std::move(say))
{
}

OperatorInput::~OperatorInput()
{
    delete m_notifier;
}

void OperatorInput::start(int fd)
{
    m_fd = fd;
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    connect(m_notifier, &QSocketNotifier::activated, this, &OperatorInput::onReadable);
}

void OperatorInput::stop()
{
    if (m_notifier)
        m_notifier->setEnabled(false);
}

void OperatorInput::onReadable()
{
    char buffer[512];
    const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        // The end, or a terminal that belongs to the foreground (EIO when
        // started in the background): no more actions, the printer serves on.
        stop();
        return;
    }
    for (ssize_t i = 0; i < n; ++i) {
        const char c = buffer[i];
        if (c != '\n') {
            if (m_line.size() <= kMaxLine)
                m_line.append(c);
            continue;
        }
        const QByteArray line = m_line;
        m_line.clear();
        QString answer;
        if (line.size() > kMaxLine)
            answer = QStringLiteral("a line of more than %1 characters is no action: type help for the list").arg(kMaxLine);
        else
            OperatorWords::act(m_printer, QString::fromLocal8Bit(line), &answer);
        for (const QString &part : answer.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            m_say(part);
    }
}
