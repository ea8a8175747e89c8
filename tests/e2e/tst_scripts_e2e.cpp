// The example demonstration files played through the real port over a pty to
// the printer simulator: the bytes it receives, exactly.
#include "support/Fakes.h"
#include "support/SimProcess.h"

#include "scripts/ScriptRunner.h"
#include "session/Session.h"
#include "terminal/frmTerminal.h"

#include <QComboBox>
#include <QFile>
#include <QLocale>
#include <QPushButton>
#include <QtTest>

namespace {

const QString kExamples = QStringLiteral(MARLIX_SOURCE_DIR "/docs/examples/");
const QDateTime kNow(QDate(2024, 3, 9), QTime(8, 5, 59));

// What receipt.dmo must put on the wire, written out by hand.
QByteArray expectedReceipt()
{
    const QByteArray crlf("\r\n");
    QByteArray e;
    e += "\x1B@";
    e += "\x1B" "a\x01\x1B!0MARLIX CAFE\x1B!" + QByteArray(1, '\0') + crlf;
    e += "12 Harbour Street" + crlf + crlf;
    e += "\x1B" "a\x01" + fileBytes(kExamples + "logo.prn") + crlf;
    e += "\x1B" "a" + QByteArray(1, '\0') + "Receipt no. 1" + crlf;
    e += QLocale::system().toString(kNow.date(), QLocale::ShortFormat).toLatin1() + " 08:05" + crlf;
    e += QByteArray(32, '-') + crlf;
    e += "Coffee                      2.50" + crlf;
    e += "Croissant                   1.80" + crlf;
    e += "\x1B" "E\x01TOTAL                       4.30\x1B" "E" + QByteArray(1, '\0') + crlf;
    e += crlf;
    const QByteArray nul(1, '\0');
    e += "\x1BM\x01" "Font B: 64 characters a line\x1BM" + nul + crlf;
    e += "\x1B-\x01Underlined\x1B-" + nul + " \x1D" "B\x01 Reverse \x1D" "B" + nul + " \x1D!\x10Wide\x1D!" + nul + crlf;
    e += "\x1B" "a\x01\x1Dh<\x1Dw\x02\x1DH\x02\x1Dk\x02" "400638133393" + nul + crlf;
    e += "\x1D(k\x03" + nul + "1C\x05\x1D(k\x1D" + nul + "1P0https://marlix.example/r/1\x1D(k\x03" + nul + "1Q0" + crlf;
    e += "\x1B" "a\x02Thank you!" + crlf;
    e += crlf + crlf + crlf;
    e += "\x1DVB" + QByteArray(1, '\0');
    return e;
}

} // namespace

class tst_ScriptsE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { isolateSettings(); }
    void play_data();
    void play();
};

void tst_ScriptsE2E::play_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("receipt script") << QStringLiteral("receipt.dmo") << expectedReceipt();
    QTest::newRow("raw graphic") << QStringLiteral("logo.prn") << fileBytes(kExamples + "logo.prn");
}

void tst_ScriptsE2E::play()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, expected);
    QVERIFY(expected.size() >= 40); // the example files were found

    SimProcess sim;
    if (!sim.start())
        QSKIP(qPrintable(QStringLiteral("printer simulator not available: ") + sim.error()));

    FakeOperator op;
    frmTerminal w(nullptr, &op, nullptr);
    w.session().link.vars.CommPort = sim.port();
    w.scripts().interpreter().setClock([] { return kNow; });
    w.FileNameTextBox->setEditText(kExamples + file);
    QTest::mouseClick(w.SendScript, Qt::LeftButton);

    QVERIFY2(op.asked.isEmpty(), qPrintable(op.texts().join('|')));
    QVERIFY(sim.waitForReceived(int(expected.size())));
    QCOMPARE(hexBytes(sim.received()), hexBytes(expected));
    if (file.endsWith(QLatin1String(".dmo"))) {
        QVERIFY(w.termText().startsWith("\r\n[ESC]@[ESC]a[SOH][ESC]!0MARLIX CAFE[ESC]![NUL]\r\n"));
        QVERIFY(w.termText().contains("Receipt no. 1\r\n"));
    } else {
        QCOMPARE(w.termText(), QByteArray("\r\n"));
    }
}

QTEST_MAIN(tst_ScriptsE2E)
#include "tst_scripts_e2e.moc"
