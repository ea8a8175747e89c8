// marlix-run --pass-through between a point-of-sale program (this test) and
// the printer simulator: the bytes both ways, both directions on standard
// output and in the log, a line on standard error as each program connects
// and leaves, and exit status 0 on SIGTERM.
#include "support/Fakes.h"
#include "support/PosProgram.h"
#include "support/RunProcess.h"
#include "support/SimProcess.h"

#include <QRegularExpression>
#include <QtTest>

#include <csignal>

class tst_RunPassThrough : public QObject {
    Q_OBJECT
private slots:
    void serves_data();
    void serves();
};

void tst_RunPassThrough::serves_data()
{
    QTest::addColumn<QString>("listen");
    QTest::addColumn<QStringList>("more");
    QTest::addColumn<QByteArray>("out");
    // ESC @, then the printer's status: its answer 0x12 is DC2 in the Normal mode.
    QTest::newRow("TCP, normal")
        << "tcp://127.0.0.1:0" << QStringList{} << QByteArray("\r\nto printer: [ESC]@[DLE][EOT][SOH]\r\nfrom printer: [DC2]");
    QTest::newRow("pty, hex")
        << "pos-printer" << QStringList{"--mode", "hex"}
        << QByteArray("\r\nto printer: [ESC]@[DLE][EOT][SOH]\r\nfrom printer: <12>");
}

void tst_RunPassThrough::serves()
{
    QFETCH(QString, listen);
    QFETCH(QStringList, more);
    QFETCH(QByteArray, out);
    SimProcess sim;
    START_SIM_OR_SKIP(sim);
    RunProcess runner;
    QProcess &p = runner.start(QStringList{"--pass-through", listen, "-p", sim.port(), "--log", "pos.log"} + more);
    QString err;
    const QRegularExpression waiting(QStringLiteral("marlix-run: waiting for a point-of-sale program on (\\S+)\n"));
    QTRY_VERIFY_WITH_TIMEOUT(waiting.match(err += QString::fromLocal8Bit(p.readAllStandardError())).hasMatch(), 10000);
    const QString address = waiting.match(err).captured(1);

    for (int visit = 0; visit < 2; ++visit) {
        PosProgram program;
        QVERIFY(program.open(address));
        program.send(QByteArray("\x1B@\x10\x04\x01", 5));
        QTRY_VERIFY(program.flush());
        QTRY_COMPARE(program.received(), QByteArray("\x12"));
        program.close();
        // Gone before the next one comes: a pty shows no new connection otherwise.
        QTRY_COMPARE((err += QString::fromLocal8Bit(p.readAllStandardError())).count(QLatin1String("disconnected")),
                     visit + 1);
    }
    QCOMPARE(sim.received(), QByteArray("\x1B@\x10\x04\x01\x1B@\x10\x04\x01", 10));
    ::kill(pid_t(p.processId()), SIGTERM);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);

    QCOMPARE(p.readAllStandardOutput(), out + out);
    QCOMPARE(fileBytes(runner.path(QStringLiteral("pos.log"))), out + out);
    err += QString::fromLocal8Bit(p.readAllStandardError());
    // One line as each program comes and one as it goes (a pty's peer is its link).
    err.replace(QRegularExpression(QStringLiteral("(from|on) \\S+\n")), QStringLiteral("PEER\n"))
        .replace(QRegularExpression(QStringLiteral("\\(\\S+\\)\n")), QStringLiteral("(PEER)\n"));
    const QString waits = "marlix-run: waiting for a point-of-sale program PEER\n";
    const QString visit = "marlix-run: point-of-sale program connected PEER\n"
                          "marlix-run: point-of-sale program disconnected (PEER)\n" + waits;
    QCOMPARE(err, waits + visit + visit + "marlix-run: stopped by SIGTERM\n");
}

QTEST_GUILESS_MAIN(tst_RunPassThrough)
#include "tst_run_pass_through.moc"
