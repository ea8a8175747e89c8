#pragma once
// What the tests of the three links share: byte patterns, reading a reply as
// Get Response does, the port list, and stand-ins for devices: a FIFO for a
// USB printer-class device, a pty pair for a serial line.
#include "link/PortNames.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class POSPrinter;

// The 256 byte values in order.
QByteArray allByteValues();
// A reply as Get Response reads it: the first byte under (1000, 100), the rest
// under (10, 10) until none comes.
QByteArray readReply(POSPrinter &port);
// "LINE n" CR LF for n = from .. to: what the lost-printer scripts send.
QByteArray scriptLines(int from, int to);
// A script of twenty such lines, 20 ms apart, that shows the message
// "switch off" after the fifth: the moment a test takes the printer away.
QByteArray lostPrinterScript();
// GetPortName from 0 until "".
QStringList portEntries(POSPrinter &port);
// Writes bytes to a file; false when that fails.
bool writeFile(const QString &name, const QByteArray &bytes);

// A FIFO named like a USB printer (lp0) in a temporary folder, and the
// printer's end of it: what the component writes is read here. A FIFO is no
// port (the program refuses one), so while this lives the links take this
// one for a character device, as a USB printer's node is.
struct FifoPrinter {
    explicit FifoPrinter(const QString &name = QStringLiteral("lp0"));
    ~FifoPrinter();
    FifoPrinter(const FifoPrinter &) = delete;
    FifoPrinter &operator=(const FifoPrinter &) = delete;

    bool isValid() const { return printer >= 0; }
    // Everything written so far and not yet read here.
    QByteArray printed() const;
    // The printer talks back: bytes the component's next reads take.
    bool reply(const QByteArray &bytes) const;

    QTemporaryDir dir;
    QString path;
    int printer = -1;
};

// A pty pair: the slave's path is a serial line's name; what is written to it
// comes out at the master.
struct PtyLine {
    PtyLine();
    ~PtyLine();
    PtyLine(const PtyLine &) = delete;
    PtyLine &operator=(const PtyLine &) = delete;

    // All that came out at the master so far (kept between calls).
    QByteArray output();

    QString path;
    int master = -1;
    int slave = -1;

private:
    QByteArray m_output;
};
