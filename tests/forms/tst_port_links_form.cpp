// The three links in the windows: the port display and Break for each, the
// settings dialog's tool tip, and the network printers it remembers.
#include "config/ConfigScrn.h"
#include "link/AnyPOSPrinter.h"
#include "support/Accessible.h"
#include "support/Fakes.h"
#include "support/LinkFixtures.h"
#include "support/SimProcess.h"
#include "session/Session.h"
#include "session/SettingsStore.h"
#include "terminal/frmTerminal.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>


namespace {
const QString kNoLineSettings = QStringLiteral("the baud rate, data bits, stop bits, parity and flow control do "
                                               "not apply to it");

// Names for each link that exist on any machine: %pty is a pty made here,
// %fifo a FIFO standing in for /dev/usb/lp0.
struct Devices {
    FifoPrinter fifo;
    PtyLine pty;

    QString name(QString text) const
    {
        return text.replace(QLatin1String("%fifo"), fifo.path).replace(QLatin1String("%pty"), pty.path);
    }
};
} // namespace

class TestPortLinksForm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { isolateSettings(); }
    void init()
    {
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Marlix Terminal"),
                  QStringLiteral("Marlix Terminal"))
            .clear();
    }

    // What the Port label shows and whether Break is offered, whether the name
    // came from the settings dialog or the stored settings.
    void portDisplayAndBreak_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("breakEnabled");
        QTest::newRow("serial, bare name") << "ttyUSB0" << "ttyUSB0 9600" << true;
        QTest::newRow("serial, COM name") << "COM1" << "COM1 9600" << true;
        QTest::newRow("serial, pty") << "%pty" << "%pty 9600" << true;
        QTest::newRow("USB printer") << "/dev/usb/lp0" << "/dev/usb/lp0" << false;
        QTest::newRow("USB printer, bare lp name") << "lp0" << "lp0" << false;
        QTest::newRow("character device, not a tty") << "/dev/null" << "/dev/null" << false;
        QTest::newRow("network printer") << "tcp://printer.local" << "tcp://printer.local" << false;
        QTest::newRow("network printer, port") << "tcp://10.0.0.7:9101" << "tcp://10.0.0.7:9101" << false;
    }

    void portDisplayAndBreak()
    {
        QFETCH(QString, port);
        QFETCH(QString, shown);
        QFETCH(bool, breakEnabled);
        Devices devices;
        port = devices.name(port);
        shown = devices.name(shown);
        FakePrinter fake;
        FakeOperator op;
        FakePump pump;
        frmTerminal w(&fake, &op, &pump);
        w.session().link.vars.CommBaud = QStringLiteral("9600");
        w.MSettings->trigger();
        ConfigScrn *dialog = w.configScrn();
        dialog->AvalPorts->setEditText(port);
        QTest::mouseClick(dialog->OKButton, Qt::LeftButton);
        QCOMPARE(w.CurPort->text(), shown);
        QCOMPARE(heard(w.CurPort, QAccessible::Description), shown);
        QCOMPARE(w.DoBreak->isEnabled(), breakEnabled);
        // The same at the next start, from the stored settings.
        w.close();
        frmTerminal again(&fake, &op, &pump);
        QCOMPARE(again.CurPort->text(), shown);
        QCOMPARE(again.DoBreak->isEnabled(), breakEnabled);
    }

    // Break on each link with the window's own port component: the serial
    // line holds a break; the USB and network links have none, send nothing
    // and stay usable.
    void breakOnEachLink_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("link");
        QTest::newRow("serial") << "%pty" << int(LinkKind::Serial);
        QTest::newRow("USB") << "%fifo" << int(LinkKind::Usb);
        QTest::newRow("network") << "%net" << int(LinkKind::Network);
    }

    void breakOnEachLink()
    {
        QFETCH(QString, port);
        QFETCH(int, link);
        Devices devices;
        SimProcess sim(withTcp());
        if (port == QLatin1String("%net") && !sim.start())
            QSKIP(qPrintable(QStringLiteral("printer simulator unavailable: ") + sim.error()));
        port = devices.name(port).replace(QLatin1String("%net"), sim.netPort());
        FakeOperator op;
        FakePump pump;
        frmTerminal w(nullptr, &op, &pump);
        auto &any = static_cast<AnyPOSPrinter &>(w.session().port);
        w.session().link.vars.CommPort = port;
        w.DispPort();
        w.DoBreak_Click(); // as a script's {BREAK} does whatever the button shows
        QCOMPARE(int(any.currentLink()), link);
        QVERIFY(any.isOpen());
        QCOMPARE(pump.sleeps, QList<int>{1000});
        QCOMPARE(w.DoBreak->text(), QStringLiteral("Break"));
        QVERIFY(w.session().link.ClosePending);
        QCOMPARE(w.Label1->text(), QString());
        // Nothing went out, and the link still carries bytes.
        w.session().port.WriteData("OK", 2);
        QCOMPARE(w.session().port.GetWriteCount(), 2L);
        if (link == int(LinkKind::Usb)) {
            QCOMPARE(devices.fifo.printed(), QByteArray("OK"));
        } else if (link == int(LinkKind::Network)) {
            QVERIFY(sim.waitForReceived(2));
            QCOMPARE(sim.received(), QByteArray("OK"));
        } else {
            QTRY_COMPARE(devices.pty.output(), QByteArray("OK"));
        }
    }

    // The port box's tool tip says, for the name in the box, when the line
    // settings do not apply; it follows what is typed.
    void toolTip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("link"); // "", "network printer" or "USB printer-class device"
        QTest::newRow("serial") << "ttyUSB0" << "";
        QTest::newRow("nothing") << "" << "";
        QTest::newRow("network printer") << "tcp://printer.local" << "network printer";
        QTest::newRow("network printer, upper case") << "TCP://10.0.0.7:9101" << "network printer";
        QTest::newRow("USB printer") << "/dev/usb/lp0" << "USB printer-class device";
        QTest::newRow("listed USB printer") << "/dev/usb/lp0    Marlix MX2600" << "USB printer-class device";
        QTest::newRow("FIFO") << "%fifo" << "USB printer-class device";
        QTest::newRow("pty") << "%pty" << "";
    }

    void toolTip()
    {
        QFETCH(QString, text);
        QFETCH(QString, link);
        Devices devices;
        text = devices.name(text);
        FakePrinter port;
        FakeOperator op;
        FakePump pump;
        FakeView view;
        Link l(port, op, pump, view);
        l.vars.CommPort = text;
        ConfigScrn dialog(l, port, {});
        dialog.Form_Load();
        const QString tip = dialog.AvalPorts->toolTip();
        QVERIFY(tip.startsWith(QLatin1String("Choose a port from the list or type its name")));
        QCOMPARE(tip.contains(kNoLineSettings), !link.isEmpty());
        QCOMPARE(tip.contains(link), true);
        // Typed over: the tip follows the box.
        dialog.show();
        QLineEdit *edit = dialog.AvalPorts->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("ttyS0"));
        QCOMPARE(dialog.AvalPorts->toolTip(), QStringLiteral("Choose a port from the list or type its name"));
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("tcp://p"));
        QVERIFY(dialog.AvalPorts->toolTip().contains(kNoLineSettings));
        // The line settings stay usable all the same.
        QVERIFY(dialog.Frame1->isEnabled());
        QVERIFY(dialog.Frame5->isEnabled());
    }

    // Network printers confirmed with OK come back in the port list, newest
    // first, after the serial ports; choosing one gives its name.
    void rememberedNetworkPrinters()
    {
        FakeOperator op;
        FakePump pump;
        frmTerminal w(nullptr, &op, &pump); // the real port list
        for (const QString &name : {QStringLiteral("tcp://a.local"), QStringLiteral("ttyUSB0"),
                                    QStringLiteral("tcp://10.0.0.7:9101"), QStringLiteral("tcp://bad:0")}) {
            w.MSettings->trigger();
            w.configScrn()->AvalPorts->setEditText(name);
            QTest::mouseClick(w.configScrn()->OKButton, Qt::LeftButton);
        }
        QCOMPARE(SettingsStore::loadNetPorts(),
                 (QStringList{QStringLiteral("tcp://10.0.0.7:9101"), QStringLiteral("tcp://a.local")}));
        w.MSettings->trigger();
        QComboBox *box = w.configScrn()->AvalPorts;
        QStringList listed;
        for (int i = 0; i < box->count(); ++i)
            listed << box->itemText(i);
        QCOMPARE(listed.mid(listed.size() - 2),
                 (QStringList{QStringLiteral("tcp://10.0.0.7:9101    Network printer (used before)"),
                              QStringLiteral("tcp://a.local    Network printer (used before)")}));
        box->setCurrentIndex(int(listed.size() - 1));
        w.configScrn()->AvalPorts_Click();
        QCOMPARE(w.session().link.vars.CommPort, QStringLiteral("tcp://a.local"));
        QTest::mouseClick(w.configScrn()->OKButton, Qt::LeftButton);
        QCOMPARE(w.CurPort->text(), QStringLiteral("tcp://a.local"));
        QCOMPARE(SettingsStore::loadNetPorts().first(), QStringLiteral("tcp://a.local"));
    }
};

QTEST_MAIN(TestPortLinksForm)
#include "tst_port_links_form.moc"
