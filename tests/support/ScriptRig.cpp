#include "support/ScriptRig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void RigPrinter::OpenPort(const QString &portName, const QString &portMode)
{
    m_events << QStringLiteral("OpenPort");
    FakePrinter::OpenPort(portName, portMode);
}

void RigPrinter::ClosePort()
{
    m_events << QStringLiteral("ClosePort");
    FakePrinter::ClosePort();
}

long RigPrinter::WriteData(const QByteArray &data, long count)
{
    m_events << QStringLiteral("WriteData(%1)").arg(count);
    return FakePrinter::WriteData(data, count);
}

void RigPrinter::SetBreak(long code, const QString &text)
{
    m_events << QStringLiteral("SetBreak(%1,%2)").arg(code).arg(text);
    FakePrinter::SetBreak(code, text);
}

ScriptRig::ScriptRig()
{
    pump.onSleep = [this](int ms) { events << QStringLiteral("sleep(%1)").arg(ms); };
    pump.onServe = [this] { events << QStringLiteral("serve"); };
    in.setClock([] { return QDateTime(QDate(2024, 3, 9), QTime(17, 45, 12)); });
}

QString ScriptRig::write(const QString &relativeName, const QByteArray &bytes)
{
    const QString name = dir.filePath(relativeName);
    QDir().mkpath(QFileInfo(name).absolutePath());
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(name));
    return name;
}

bool ScriptRig::run(const QString &relativeName, const QByteArray &bytes, const QString &box)
{
    const QString name = write(relativeName, bytes);
    view.scriptFile = box.isEmpty() ? name : box;
    return in.RunScript(name);
}

QStringList ScriptRig::offeredHex() const
{
    QStringList hex;
    for (const QByteArray &o : printer.offered)
        hex << hexBytes(o);
    return hex;
}

QStringList ScriptRig::eventsOf(const QStringList &prefixes) const
{
    QStringList picked;
    for (const QString &e : events)
        for (const QString &p : prefixes)
            if (e.startsWith(p)) {
                picked << e;
                break;
            }
    return picked;
}
