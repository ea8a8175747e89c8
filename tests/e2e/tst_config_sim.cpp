// The settings dialog against a running simulator: its port is listed, and
// the entry chosen and confirmed with OK carries bytes to it.
#include "config/ConfigScrn.h"
#include "link/POSPrinter.h"
#include "support/Fakes.h"
#include "support/SimProcess.h"
#include "session/Session.h"
#include "terminal/frmTerminal.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

class ConfigSimTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { isolateSettings(); }
    void simulatorPortIsListedAndWorks();
};

void ConfigSimTest::simulatorPortIsListedAndWorks()
{
    SimProcess sim;
    if (!sim.start())
        QSKIP(qPrintable(QStringLiteral("no simulator to talk to: ") + sim.error()));

    FakeOperator op;
    FakePump pump;
    frmTerminal w(nullptr, &op, &pump); // the real serial port component
    w.MSettings->trigger();
    ConfigScrn *dialog = w.configScrn();
    QVERIFY(dialog);
    QComboBox *box = dialog->AvalPorts;

    const QString listed = sim.port() + QStringLiteral("    Marlix printer simulator");
    const int row = box->findText(listed);
    QVERIFY2(row >= 0, qPrintable(QStringLiteral("%1 not among %2 entries").arg(listed).arg(box->count())));

    box->showPopup();
    QTRY_VERIFY(box->view()->isVisible());
    box->view()->setCurrentIndex(box->model()->index(row, 0));
    QTest::keyClick(box->view(), Qt::Key_Return);
    // A full path is taken up to the blanks that begin its description.
    QCOMPARE(w.session().link.vars.CommPort, sim.port());
    dialog->OKButton->click();
    // OK keeps it so: the port display shows the port and its rate, not the description.
    QCOMPARE(w.session().link.vars.CommPort, sim.port());
    QCOMPARE(w.CurPort->text(), sim.port() + QStringLiteral(" 19200"));

    Session &s = w.session();
    s.link.OpenOnDemand();
    QVERIFY(s.port.WriteData(QByteArray("\x1b@", 2), 2) != 0);
    QCOMPARE(s.port.GetWriteCount(), 2L);
    QVERIFY(sim.waitForReceived(2));
    QCOMPARE(hexBytes(sim.received()), QStringLiteral("1B 40"));
    s.port.ClosePort();
}

QTEST_MAIN(ConfigSimTest)
#include "tst_config_sim.moc"
