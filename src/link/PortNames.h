#pragma once
// A port name says its link:
//   virtual             the printer built into the program;
//   tcp://HOST[:PORT]   a network printer that takes raw bytes (PORT 9100 when left out);
//   a character device that is not a terminal, such as /dev/usb/lp0:
//                       a USB printer-class device;
//   anything else       a serial line, named as before (ttyUSB0 means /dev/ttyUSB0).
// Only terminals and character devices are ports: a named pipe, a file or a
// folder is refused before a byte goes (a pipe would take the bytes and lose them).
#include <QByteArray>
#include <QString>
#include <functional>

enum class LinkKind { Serial, Usb, Network, Virtual };

// The printer built into the program: its port name (any letter case) and
// how the port display and the port list show it.
inline constexpr char kVirtualPortName[] = "virtual";
inline constexpr char kVirtualPortShown[] = "Virtual printer (built in)";

// What a path names, as far as the choice of link goes.
enum class DeviceKind {
    Missing,     // nothing there
    Terminal,    // a tty: serial line, pty, console
    Stream,      // a character device that is not a tty
    NamedPipe,   // a FIFO
    RegularFile,
    Folder,
    Other,       // a socket, a block device
};
using DeviceProbe = std::function<DeviceKind(const QString &path)>;

// Looks at the file system without opening anything: showing a port must
// never raise a serial line's modem lines.
DeviceKind probeDevice(const QString &path);
// Tests: a probe that probeDevice() asks in place of the file system (an
// empty one: the file system again).
void setDeviceProbe(DeviceProbe probe);
// What probeDevice() asks when no probe is set.
DeviceKind probeFileSystem(const QString &path);

// Whether character device (major, minor) belongs to one of the tty drivers
// in a /proc/tty/drivers text ("pty_slave /dev/pts 136 0-1048575 pty:slave").
bool isTtyDeviceNumber(const QByteArray &ttyDrivers, unsigned major, unsigned minor);

constexpr quint16 kDefaultNetPort = 9100;

struct PortTarget {
    LinkKind kind = LinkKind::Serial;
    QString path;        // Serial and Usb: the device to open
    QString host;        // Network: name or address (an IPv6 address without brackets)
    quint16 netPort = 0; // Network
    // Why the name cannot be used, "" when it can. Network: what is wrong
    // with the name, to follow it ("tcp://x:0: not a network printer's name
    // ..."). Serial: a sentence that names the path ("ff is a named pipe, not
    // a printer device").
    QString problem;
};

// The name out of a listed entry: its text before the first blank or TAB.
QString entryName(const QString &name);

// A serial port's device: "ttyUSB0" -> "/dev/ttyUSB0"; a full path stays; a
// listed entry gives its text before the first blank or TAB.
QString devicePathForPortName(const QString &name);

// "tcp://" in any letter case.
bool isNetworkPortName(const QString &name);

// The link and the device or host a port name (or a listed entry, taken up to
// its first blank or TAB) stands for.
PortTarget resolvePortName(const QString &name, const DeviceProbe &probe = probeDevice);

// Whether the port is a serial line, with line settings and a break (the
// port display shows its baud rate). What the name stands for decides: a
// link is followed, and a tty (a serial line, a pty such as the simulator's)
// is one wherever it is named. Only a name with nothing behind it (an adapter
// unplugged) is judged by its shape: COM or tty, or a path in /dev.
bool hasLineSettings(const QString &name, const DeviceProbe &probe = probeDevice);

// A listed USB printer: the make and model from its IEEE 1284 device ID as the
// usblp driver returns it (two bytes of length, big-endian, then
// "MFG:...;MDL:...;" fields). "" when the ID names neither.
QString describeDeviceId(const QByteArray &reply);
