// The station: the window's operations and a point-of-sale program take
// turns on its one port, and a printer that goes away loses none of the
// program's bytes.
#include "commands/PassThroughText.h"
#include "session/PrinterStation.h"
#include "support/Fakes.h"
#include "support/PosProgram.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using User = PrinterStation::PortUser;
using Use = PrinterStation::PortUse;

class TestPrinterStation : public QObject {
    Q_OBJECT
private slots:
    void turnsOnOnePort()
    {
        Rig r;
        QVERIFY(r.station.takePort(Use::Script));
        QVERIFY(!r.station.takePort(Use::Command)); // a command waits for the script
        QCOMPARE(r.station.mayUse(Use::Command), PrinterStation::Refusal::ScriptRunning);
        QVERIFY(r.program.open(r.link()));
        r.program.send("to printer");
        QTRY_VERIFY(r.program.flush());
        QTRY_VERIFY(r.statuses.contains("The window's own command, loop or script is running: the point-of-sale program waits."));
        QCOMPARE(r.station.portUser(), User::Window);
        QVERIFY(r.printer.written.isEmpty());
        QCOMPARE(r.station.mayUse(Use::Macro), PrinterStation::Refusal::ProgramConnected);
        r.station.givePort(Use::Script);
        QTRY_COMPARE(r.printer.written, QByteArray("to printer"));
        QVERIFY(!r.station.takePort(Use::Command));
        r.program.close();
        QTRY_COMPARE(r.station.portUser(), User::Nobody);
        QCOMPARE(r.users(), (QList<User>{User::Window, User::Program, User::Nobody}));
    }

    void lostPrinterLosesNothing()
    {
        Rig r;
        QVERIFY(r.program.open(r.link()));
        QTRY_VERIFY(r.station.programConnected());
        r.printer.gone = true;
        r.program.send("first second");
        QTRY_VERIFY(r.program.flush());
        QTRY_VERIFY(r.statuses.contains("None: the printer has gone away; opening it again - the point-of-sale program waits"));
        r.printer.deviceBack = true;
        QTRY_COMPARE(r.printer.written, QByteArray("first second"));
        QTRY_COMPARE(r.view.display, QByteArray("\r\nto printer: first second"));
    }

private:
    struct Rig {
        FakePrinter printer;
        FakeOperator op;
        FakePump pump;
        FakeView view;
        PrinterStation station{&printer, {op, pump, view, std::make_unique<PassThroughText>()}};
        QSignalSpy userSpy{&station, &PrinterStation::portUserChanged};
        QTemporaryDir dir;
        PosProgram program;
        QStringList statuses;
        Rig()
        {
            QObject::connect(&station, &PrinterStation::status, [this](const QString &text, bool) { statuses << text; });
            QVERIFY(station.serve(link()).isEmpty());
        }
        QString link() const { return dir.filePath(QStringLiteral("pos")); }
        QList<User> users() const
        {
            QList<User> seen;
            for (const QList<QVariant> &call : userSpy)
                seen << call.at(0).value<User>();
            return seen;
        }
    };
};

QTEST_GUILESS_MAIN(TestPrinterStation)
#include "tst_printer_station.moc"
