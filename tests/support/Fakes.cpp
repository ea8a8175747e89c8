#include "support/Fakes.h"

#include <QFile>

#include <algorithm>

QByteArray FakePrinter::ReadInput(long count)
{
    calls << QStringLiteral("ReadInput(%1)").arg(count);
    if (onRead)
        onRead();
    if (!open || input.isEmpty())
        return {};
    const QByteArray b = input.left(1);
    input.remove(0, 1);
    return b;
}

void FakePrinter::OpenPort(const QString &portName, const QString &portMode)
{
    calls << QStringLiteral("OpenPort(%1|%2)").arg(portName, portMode);
    if (gone && deviceBack)
        gone = false;
    open = !gone;
}

void FakePrinter::ClosePort()
{
    calls << QStringLiteral("ClosePort()");
    open = false;
}

void FakePrinter::SetFlowControl(long flow)
{
    calls << QStringLiteral("SetFlowControl(%1)").arg(flow);
}

long FakePrinter::WriteData(const QByteArray &data, long count)
{
    calls << QStringLiteral("WriteData(%1)").arg(count);
    const QByteArray wanted = data.left(count);
    offered << wanted;
    if (gone) {
        m_lastCount = 0;
        return 0;
    }
    int limit = maxPerWrite;
    if (!takePlan.isEmpty()) {
        limit = takePlan.dequeue();
        if (limit == 0) {
            m_lastCount = 0;
            return 0;
        }
    } else if (refuseAll || refuseNext > 0) {
        if (refuseNext > 0)
            --refuseNext;
        m_lastCount = 0;
        return 0;
    }
    const qsizetype take = limit < 0 ? wanted.size() : std::min<qsizetype>(limit, wanted.size());
    written += wanted.left(take);
    m_lastCount = long(take);
    tapWritten(wanted.left(take));
    return 1;
}

void FakePrinter::SetReadTiming(long first, long gap)
{
    calls << QStringLiteral("SetReadTiming(%1,%2)").arg(first).arg(gap);
    readFirst = first;
    readGap = gap;
}

long FakePrinter::GetWriteCount()
{
    calls << QStringLiteral("GetWriteCount()");
    return m_lastCount;
}

QString FakePrinter::GetPortName(long index)
{
    calls << QStringLiteral("GetPortName(%1)").arg(index);
    return index >= 0 && index < portNames.size() ? portNames.at(index) : QString();
}

void FakePrinter::SetBreak(long code, const QString &text)
{
    calls << QStringLiteral("SetBreak(%1,%2)").arg(code).arg(text);
    if (code == 1)
        breakOn = true;
    else if (code == 2)
        breakOn = false;
}

int FakePrinter::count(const QString &prefix) const
{
    return int(std::count_if(calls.begin(), calls.end(), [&](const QString &c) { return c.startsWith(prefix); }));
}

Msg::Answer FakeOperator::message(const QString &text, Msg::Buttons buttons, Msg::Icon icon,
                                  const QString &caption)
{
    const AskedQuestion q{text, buttons, icon, caption};
    asked << q;
    if (onMessage)
        onMessage(q);
    if (!answers.isEmpty())
        return answers.dequeue();
    return buttons == Msg::Buttons::Ok ? Msg::Answer::Ok : Msg::Answer::Cancel;
}

std::optional<FileChoice> FakeOperator::openFile(const FileDialogRequest &request)
{
    fileRequests << request;
    if (files.isEmpty())
        return std::nullopt;
    return files.dequeue();
}

QStringList FakeOperator::texts() const
{
    QStringList t;
    for (const AskedQuestion &q : asked)
        t << q.text;
    return t;
}

int FakePump::sleptMs() const
{
    int total = 0;
    for (int s : sleeps)
        total += s;
    return total;
}

void FakePump::serveEvents()
{
    ++served;
    if (onServe)
        onServe();
}

void FakePump::sleepMs(int ms)
{
    sleeps << ms;
    if (onSleep)
        onSleep(ms);
}

QString hexBytes(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QByteArray fromHex(const QString &spaced)
{
    return QByteArray::fromHex(spaced.toLatin1());
}

QByteArray fileBytes(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
