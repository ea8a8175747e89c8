// Port names and mode texts as the serial port component reads them.
#include "link/SerialPOSPrinter.h"

#include <QtTest>

class TestPortMode : public QObject {
    Q_OBJECT
private slots:
    void modeText_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("stopBits");
        QTest::newRow("defaults") << "baud=19200 parity=N data=8 stop=1" << 19200
                                  << int(QSerialPort::NoParity) << 8 << int(QSerialPort::OneStop);
        QTest::newRow("even 7 2") << "baud=9600 parity=E data=7 stop=2" << 9600
                                  << int(QSerialPort::EvenParity) << 7 << int(QSerialPort::TwoStop);
        QTest::newRow("odd") << "baud=230400 parity=O data=8 stop=1" << 230400
                             << int(QSerialPort::OddParity) << 8 << int(QSerialPort::OneStop);
        QTest::newRow("unusual baud kept") << "baud=2400 parity=N data=8 stop=1" << 2400
                                           << int(QSerialPort::NoParity) << 8 << int(QSerialPort::OneStop);
        QTest::newRow("garbage falls back") << "baud=fast parity=? data=x stop=" << 19200
                                            << int(QSerialPort::NoParity) << 8 << int(QSerialPort::OneStop);
        QTest::newRow("empty") << "" << 19200 << int(QSerialPort::NoParity) << 8 << int(QSerialPort::OneStop);
    }

    void modeText()
    {
        QFETCH(QString, mode);
        const PortMode m = parsePortMode(mode);
        QTEST(int(m.baud), "baud");
        QTEST(int(m.parity), "parity");
        QTEST(int(m.dataBits), "dataBits");
        QTEST(int(m.stopBits), "stopBits");
    }

    void portName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("bare") << "ttyUSB0" << "/dev/ttyUSB0";
        QTest::newRow("full path") << "/dev/pts/5" << "/dev/pts/5";
        QTest::newRow("by-id") << "/dev/serial/by-id/usb-X-if00" << "/dev/serial/by-id/usb-X-if00";
        QTest::newRow("listed entry with blanks") << "ttyS0    Serial port    1234" << "/dev/ttyS0";
        QTest::newRow("listed entry with TAB") << "/dev/pts/7\tMarlix printer simulator" << "/dev/pts/7";
        QTest::newRow("empty") << "" << "";
    }

    void portName()
    {
        QFETCH(QString, name);
        QTEST(devicePathForPortName(name), "path");
    }
};

QTEST_GUILESS_MAIN(TestPortMode)
#include "tst_portmode.moc"
