#include "link/PortNames.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QUrl>

#include <algorithm>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {
constexpr qsizetype kMaxDescription = 80;

PortTarget networkTarget(const QString &bare)
{
    PortTarget target;
    target.kind = LinkKind::Network;
    const QUrl url(bare, QUrl::StrictMode);
    const bool shaped = url.isValid() && !url.host().isEmpty() && url.userInfo().isEmpty()
        && (url.path().isEmpty() || url.path() == QLatin1String("/")) && !url.hasQuery() && !url.hasFragment();
    const int port = url.port(kDefaultNetPort);
    if (!shaped || port < 1 || port > 65535) {
        target.problem = QStringLiteral(
            "not a network printer's name - write tcp://HOST or tcp://HOST:PORT (PORT from 1 to 65535)");
        return target;
    }
    target.host = url.host();
    target.netPort = quint16(port);
    return target;
}

bool isTerminalDevice(dev_t device)
{
    const unsigned maj = major(device);
    const unsigned min = minor(device);
    // The kernel lists every tty driver with its device numbers, also the
    // ones (ptys) that have no entry in sysfs.
    QFile drivers(QStringLiteral("/proc/tty/drivers"));
    if (drivers.open(QIODevice::ReadOnly))
        return isTtyDeviceNumber(drivers.readAll(), maj, min);
    // Without /proc, sysfs names the device's class; without either, nothing
    // says it is not a tty, and the serial rule stays.
    const QFileInfo subsystem(QStringLiteral("/sys/dev/char/%1:%2/subsystem").arg(maj).arg(min));
    if (!subsystem.exists())
        return true;
    return subsystem.canonicalFilePath().section(QLatin1Char('/'), -1) == QLatin1String("tty");
}

DeviceProbe &testProbe()
{
    static DeviceProbe probe;
    return probe;
}

// What a path that is no device is instead, said after its name.
QString notADevice(DeviceKind kind)
{
    switch (kind) {
    case DeviceKind::NamedPipe: return QStringLiteral("is a named pipe, not a printer device");
    case DeviceKind::RegularFile: return QStringLiteral("is a regular file, not a printer device");
    case DeviceKind::Folder: return QStringLiteral("is a folder, not a printer device");
    case DeviceKind::Other:
        return QStringLiteral("is not a printer device (only terminals and character devices are)");
    case DeviceKind::Missing:
    case DeviceKind::Terminal:
    case DeviceKind::Stream:
        break;
    }
    return {};
}

QString cleanField(const QByteArray &value)
{
    // One line of readable text: no TAB may split the port list's fields.
    QString text = QString::fromLatin1(value);
    for (QChar &c : text) {
        if (c.unicode() < 32 || c.unicode() == 127)
            c = QLatin1Char(' ');
    }
    return text.simplified();
}
} // namespace

// "PREFIX" and one or more digits. Plain string checks, not a regular
// expression: the window asks this at start, and PCRE2's JIT costs some
// 400 KiB of start-up memory.
static bool isNumbered(const QString &name, QStringView prefix)
{
    if (!name.startsWith(prefix) || name.size() == prefix.size())
        return false;
    return std::all_of(name.cbegin() + prefix.size(), name.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString entryName(const QString &name)
{
    QString bare = name.trimmed();
    const auto cut = std::find_if(bare.cbegin(), bare.cend(), [](QChar c) { return c == u' ' || c == u'\t'; });
    return bare.left(cut - bare.cbegin());
}

QString devicePathForPortName(const QString &name)
{
    const QString bare = entryName(name);
    if (bare.isEmpty() || bare.startsWith(QLatin1Char('/')))
        return bare;
    return QStringLiteral("/dev/") + bare;
}

DeviceKind probeFileSystem(const QString &path)
{
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return DeviceKind::Missing;
    if (S_ISFIFO(info.st_mode))
        return DeviceKind::NamedPipe;
    if (S_ISREG(info.st_mode))
        return DeviceKind::RegularFile;
    if (S_ISDIR(info.st_mode))
        return DeviceKind::Folder;
    if (!S_ISCHR(info.st_mode))
        return DeviceKind::Other;
    return isTerminalDevice(info.st_rdev) ? DeviceKind::Terminal : DeviceKind::Stream;
}

DeviceKind probeDevice(const QString &path)
{
    const DeviceProbe &probe = testProbe();
    return probe ? probe(path) : probeFileSystem(path);
}

void setDeviceProbe(DeviceProbe probe)
{
    testProbe() = std::move(probe);
}

bool isTtyDeviceNumber(const QByteArray &ttyDrivers, unsigned major, unsigned minor)
{
    for (const QByteArray &line : ttyDrivers.split('\n')) {
        // Counted from the end: name, path, major, minors ("64" or "0-1048575"), type.
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 4)
            continue;
        bool ok = false;
        if (fields.at(fields.size() - 3).toUInt(&ok) != major || !ok)
            continue;
        const QByteArray &minors = fields.at(fields.size() - 2);
        const qsizetype dash = minors.indexOf('-');
        bool okLow = false;
        bool okHigh = false;
        const unsigned low = minors.left(dash < 0 ? minors.size() : dash).toUInt(&okLow);
        const unsigned high = dash < 0 ? low : minors.mid(dash + 1).toUInt(&okHigh);
        if (okLow && (dash < 0 || okHigh) && minor >= low && minor <= high)
            return true;
    }
    return false;
}

bool isNetworkPortName(const QString &name)
{
    return name.trimmed().startsWith(QLatin1String("tcp://"), Qt::CaseInsensitive);
}

PortTarget resolvePortName(const QString &name, const DeviceProbe &probe)
{
    const QString bare = entryName(name);
    if (isNetworkPortName(bare))
        return networkTarget(bare);
    if (bare.compare(QLatin1String(kVirtualPortName), Qt::CaseInsensitive) == 0) {
        PortTarget target;
        target.kind = LinkKind::Virtual;
        return target;
    }
    PortTarget target;
    target.path = devicePathForPortName(name);
    if (target.path.isEmpty())
        return target;
    // The kernel's usblp devices live in /dev/usb; a bare "lp0" is the
    // parallel port's unless only the USB one is there.
    if (isNumbered(bare, u"lp")) {
        const QString usb = QStringLiteral("/dev/usb/") + bare;
        if (probe(target.path) == DeviceKind::Missing && probe(usb) != DeviceKind::Missing)
            target.path = usb;
    }
    // A USB printer switched off has no device node; its name still says its link.
    const DeviceKind kind = probe(target.path);
    if (kind == DeviceKind::Stream || (kind == DeviceKind::Missing && isNumbered(target.path, u"/dev/usb/lp")))
        target.kind = LinkKind::Usb;
    if (const QString what = notADevice(kind); !what.isEmpty())
        target.problem = bare + QLatin1Char(' ') + what;
    return target;
}

bool hasLineSettings(const QString &name, const DeviceProbe &probe)
{
    const PortTarget target = resolvePortName(name, probe);
    if (target.kind != LinkKind::Serial || target.path.isEmpty())
        return false;
    if (const DeviceKind kind = probe(target.path); kind != DeviceKind::Missing)
        return kind == DeviceKind::Terminal;
    const QString bare = entryName(name);
    return bare.startsWith(QLatin1String("COM")) || bare.startsWith(QLatin1String("tty"))
        || bare.startsWith(QLatin1String("/dev/"));
}

QString describeDeviceId(const QByteArray &reply)
{
    if (reply.size() < 2)
        return {};
    const qsizetype length = (qsizetype(uchar(reply.at(0))) << 8) | uchar(reply.at(1));
    // The length counts its own two bytes; a device that says more than it sent is cut to what came.
    const QByteArray body = reply.mid(2, std::max<qsizetype>(0, std::min(length, reply.size()) - 2));
    QString make, model, description;
    for (const QByteArray &field : body.split(';')) {
        const qsizetype colon = field.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray key = field.left(colon).trimmed().toUpper();
        const QString value = cleanField(field.mid(colon + 1));
        if ((key == "MFG" || key == "MANUFACTURER") && make.isEmpty())
            make = value;
        else if ((key == "MDL" || key == "MODEL") && model.isEmpty())
            model = value;
        else if ((key == "DES" || key == "DESCRIPTION") && description.isEmpty())
            description = value;
    }
    // Some models repeat the make in the model name.
    QString shown = !make.isEmpty() && model.startsWith(make, Qt::CaseInsensitive)
        ? model
        : (make + QLatin1Char(' ') + model).trimmed();
    if (shown.isEmpty())
        shown = description;
    return shown.left(kMaxDescription).trimmed();
}
