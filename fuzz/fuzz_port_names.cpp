// Port names (typed, stored or listed), the kernel's tty driver list and a USB
// printer's IEEE 1284 device ID are outside input: any bytes must parse
// without fault, and what comes out must keep its promises.
#include "link/PortNames.h"

#include <QHash>

#include <cstdlib>

namespace {
// A file system where what a path names depends on the path alone.
DeviceKind fakeProbe(const QString &path)
{
    return static_cast<DeviceKind>(qHash(path) % (int(DeviceKind::Other) + 1));
}

void checkName(const QString &name)
{
    const PortTarget target = resolvePortName(name, fakeProbe);
    const bool network = isNetworkPortName(entryName(name));
    if ((target.kind == LinkKind::Network) != network)
        std::abort();
    // Line settings (baud rate, break) only ever for a serial device, and
    // never for a path the probe says is something other than a terminal.
    if (hasLineSettings(name, fakeProbe)
        && (target.kind != LinkKind::Serial
            || (fakeProbe(target.path) != DeviceKind::Missing && fakeProbe(target.path) != DeviceKind::Terminal)))
        std::abort();
    if (target.kind == LinkKind::Network) {
        if (target.problem.isEmpty() && (target.host.isEmpty() || target.netPort == 0))
            std::abort();
        if (!target.problem.isEmpty() && (!target.host.isEmpty() || target.netPort != 0))
            std::abort();
        return;
    }
    // A device path is the serial rule's, or the USB printer's for a bare lpN.
    const QString serialPath = devicePathForPortName(name);
    if (target.path != serialPath && target.path != QStringLiteral("/dev/usb/") + entryName(name))
        std::abort();
    // Only terminals and character devices (or nothing yet) are ports; any
    // other path is refused, in a sentence that names it, and never as USB.
    const DeviceKind kind = target.path.isEmpty() ? DeviceKind::Missing : fakeProbe(target.path);
    const bool device = kind == DeviceKind::Missing || kind == DeviceKind::Terminal || kind == DeviceKind::Stream;
    if (target.problem.isEmpty() != device)
        std::abort();
    if (!target.problem.isEmpty()
        && (target.kind != LinkKind::Serial || !target.problem.startsWith(entryName(name) + QLatin1Char(' '))))
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    const QString shown = describeDeviceId(bytes);
    if (shown.size() > 80 || shown != shown.trimmed())
        std::abort();
    for (const QChar c : shown) {
        if (c.unicode() < 32 || c.unicode() == 127)
            std::abort(); // would split the port list's fields
    }

    const unsigned major = size > 0 ? data[0] : 0;
    const unsigned minor = size > 1 ? data[1] : 0;
    isTtyDeviceNumber(bytes, major, minor);

    checkName(QString::fromLatin1(bytes));
    checkName(QString::fromUtf8(bytes));
    return 0;
}
