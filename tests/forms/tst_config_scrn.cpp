// The settings dialog, offscreen: what it shows for the stored values, the
// port list, and what OK, Cancel and the option buttons leave in the link.
#include "config/ConfigScrn.h"
#include "link/Link.h"
#include "support/Accessible.h"
#include "support/Fakes.h"
#include "support/SimProcess.h"
#include "terminal/frmTerminal.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {
// The captions of the checked option buttons, frame by frame ("-" for none).
QStringList selections(const ConfigScrn &d)
{
    QStringList result;
    for (const char *frame : {"Frame1", "Frame2", "Frame3", "Frame4", "Frame5"}) {
        QString checked = QStringLiteral("-");
        const auto *box = d.findChild<QGroupBox *>(QLatin1String(frame));
        for (const QRadioButton *b : box->findChildren<QRadioButton *>())
            if (b->isChecked())
                checked = b->text();
        result << checked;
    }
    return result;
}

// Clicks the button's indicator: a stretched button takes no click beyond its caption.
void clickOption(QRadioButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

struct Rig {
    FakePrinter port;
    FakeOperator op;
    FakePump pump;
    FakeView view;
    Link link{port, op, pump, view};
    int dispPorts = 0;
    ConfigScrn dialog{link, port, [this] { ++dispPorts; }};
};
} // namespace

class ConfigScrnTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void controls();
    void selectionsFromStoredValues_data();
    void selectionsFromStoredValues();
    void reloadStartsFromDesignState();
    void portList_data();
    void portList();
    void choosingAnEntry_data();
    void choosingAnEntry();
    void optionClicksWriteAtOnce_data();
    void optionClicksWriteAtOnce();
    void okVersusCancel_data();
    void okVersusCancel();
    void typedNameWithEnter();
    void settingsCommandReusesOneDialog();
};

void ConfigScrnTest::initTestCase()
{
    isolateSettings();
}

void ConfigScrnTest::controls()
{
    Rig rig;
    ConfigScrn &d = rig.dialog;
    QCOMPARE(d.windowTitle(), QStringLiteral("Communication Settings"));
    QVERIFY(!d.isModal());
    const QStringList frames{"&Baud Rate", "&Data Bits", "&Stop Bits", "&Parity", "&Flow Control"};
    for (int i = 0; i < frames.size(); ++i)
        QCOMPARE(d.findChild<QGroupBox *>(QStringLiteral("Frame%1").arg(i + 1))->title(), frames.at(i));
    const QList<QPair<const char *, const char *>> options{
        {"Baud230", "230400"}, {"Baud576", "57600"}, {"Baud384", "38400"}, {"Baud192", "19200"},
        {"Baud24", "115200"},  {"Baud48", "4800"},   {"Baud96", "9600"},   {"Data7", "7"},
        {"Data8", "8"},        {"Stop1", "1"},       {"Stop2", "2"},       {"NoParity", "None"},
        {"OddParity", "Odd"},  {"EvenParity", "Even"}, {"NoFlow", "None"}, {"XonFlow", "Xon/Xoff"},
        {"Hardware", "Hardware"}};
    for (const auto &[name, caption] : options) {
        auto *b = d.findChild<QRadioButton *>(QLatin1String(name));
        QVERIFY2(b, name);
        QCOMPARE(b->text(), QLatin1String(caption));
        QCOMPARE(heard(b), QLatin1String(caption));
    }
    auto *ok = d.findChild<QPushButton *>(QStringLiteral("OKButton"));
    QVERIFY(ok && ok->isDefault());
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(d.findChild<QPushButton *>(QStringLiteral("CancelButton"))->text(), QStringLiteral("Cancel"));
    auto *ports = d.findChild<QComboBox *>(QStringLiteral("AvalPorts"));
    QVERIFY(ports && ports->isEditable());
    QCOMPARE(heard(ports), QStringLiteral("Port"));
}

void ConfigScrnTest::selectionsFromStoredValues_data()
{
    QTest::addColumn<QStringList>("stored"); // baud, data, stop, parity, flow
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("defaults") << QStringList{"19200", "8", "1", "N", "2"}
                              << QStringList{"19200", "8", "1", "None", "Hardware"};
    QTest::newRow("115200 odd xon") << QStringList{"115200", "7", "2", "O", "1"}
                                    << QStringList{"115200", "7", "2", "Odd", "Xon/Xoff"};
    QTest::newRow("even, no flow") << QStringList{"4800", "8", "1", "E", "0"}
                                   << QStringList{"4800", "8", "1", "Even", "None"};
    QTest::newRow("nothing matches") << QStringList{"2400", "5", "1.5", "n", "7"}
                                     << QStringList{"-", "-", "-", "-", "-"};
    QTest::newRow("blank-padded value") << QStringList{"9600 ", "8", "1", "N", "2"}
                                        << QStringList{"-", "8", "1", "None", "Hardware"};
}

void ConfigScrnTest::selectionsFromStoredValues()
{
    QFETCH(QStringList, stored);
    QFETCH(QStringList, shown);
    Rig rig;
    LinkVariables &v = rig.link.vars;
    v.CommBaud = stored.at(0);
    v.CommDataBits = stored.at(1);
    v.CommStopBits = stored.at(2);
    v.CommParity = stored.at(3);
    v.CommFlow = qint16(stored.at(4).toInt());
    rig.dialog.Form_Load();
    QCOMPARE(selections(rig.dialog), shown);
    // Loading changes no setting, matched or not.
    QCOMPARE(v.CommBaud, stored.at(0));
    QCOMPARE(v.CommDataBits, stored.at(1));
    QCOMPARE(v.CommStopBits, stored.at(2));
    QCOMPARE(v.CommParity, stored.at(3));
    QCOMPARE(v.CommFlow, qint16(stored.at(4).toInt()));
}

void ConfigScrnTest::reloadStartsFromDesignState()
{
    Rig rig;
    rig.port.portNames = {"ttyS0", "ttyS1"};
    rig.dialog.Form_Load();
    QCOMPARE(selections(rig.dialog).first(), QStringLiteral("19200"));
    rig.link.vars.CommBaud = QStringLiteral("2400");
    rig.link.vars.CommFlow = 1;
    rig.port.portNames = {"ttyUSB0"};
    rig.dialog.Form_Load();
    QCOMPARE(selections(rig.dialog), (QStringList{"-", "8", "1", "None", "Xon/Xoff"}));
    QCOMPARE(rig.dialog.AvalPorts->count(), 1);
    QCOMPARE(rig.dialog.AvalPorts->itemText(0), QStringLiteral("ttyUSB0"));
}

void ConfigScrnTest::portList_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("no TAB") << QStringList{"ttyS0"} << QStringList{"ttyS0"};
    QTest::newRow("one TAB") << QStringList{"ttyUSB0\tFT232R USB UART"}
                             << QStringList{"ttyUSB0    FT232R USB UART"};
    QTest::newRow("two TABs") << QStringList{"ttyUSB0\tFT232R\t/dev/serial/by-id/usb-x"}
                              << QStringList{"ttyUSB0    FT232R    /dev/serial/by-id/usb-x"};
    QTest::newRow("a third TAB stays") << QStringList{"a\tb\tc\td"} << QStringList{"a    b    c\td"};
    QTest::newRow("empty first entry ends the list") << QStringList{"", "ttyS1"} << QStringList{};
    QTest::newRow("stops at the first empty entry")
        << QStringList{"ttyS0", "ttyS1", "", "ttyS3"} << QStringList{"ttyS0", "ttyS1"};
}

void ConfigScrnTest::portList()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, listed);
    Rig rig;
    rig.link.vars.CommPort = QStringLiteral("COM7");
    rig.port.portNames = entries;
    rig.dialog.Form_Load();
    QStringList shown;
    for (int i = 0; i < rig.dialog.AvalPorts->count(); ++i)
        shown << rig.dialog.AvalPorts->itemText(i);
    QCOMPARE(shown, listed);
    QCOMPARE(rig.dialog.AvalPorts->currentText(), QStringLiteral("COM7"));
    QCOMPARE(rig.link.vars.CommPort, QStringLiteral("COM7"));
}

void ConfigScrnTest::choosingAnEntry_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("port"); // CommPort after choosing it
    QTest::newRow("bare name") << QStringLiteral("ttyS0") << QStringLiteral("ttyS0");
    QTest::newRow("name and two fields") << QStringLiteral("ttyUSB0\tFT232R\tA9X1") << QStringLiteral("ttyUSB0");
    QTest::newRow("full path kept up to the first blank")
        << QStringLiteral("/dev/pts/4\tMarlix printer simulator") << QStringLiteral("/dev/pts/4");
    QTest::newRow("by-id path") << QStringLiteral("/dev/serial/by-id/usb-P_1-if00") << QStringLiteral("/dev/serial/by-id/usb-P_1-if00");
    QTest::newRow("USB printer") << QStringLiteral("/dev/usb/lp0\tMarlix MX2600") << QStringLiteral("/dev/usb/lp0");
    QTest::newRow("network printer kept whole")
        << QStringLiteral("tcp://printer.local:9100\tNetwork printer (used before)")
        << QStringLiteral("tcp://printer.local:9100");
    QTest::newRow("network printer, any case") << QStringLiteral("TCP://10.0.0.7") << QStringLiteral("TCP://10.0.0.7");
    QTest::newRow("backslashes and a point") << QStringLiteral("\\\\.\\COM12") << QStringLiteral("\\\\");
    QTest::newRow("hyphen ends it") << QStringLiteral("usb-serial") << QStringLiteral("usb");
}

void ConfigScrnTest::choosingAnEntry()
{
    QFETCH(QString, entry);
    QFETCH(QString, port);
    Rig rig;
    rig.port.portNames = {QStringLiteral("ttyS9"), entry};
    rig.dialog.Form_Load();
    rig.dialog.show();
    QComboBox *box = rig.dialog.AvalPorts;
    // Chosen from the drop-down list, as the operator does it.
    box->showPopup();
    QTRY_VERIFY(box->view()->isVisible());
    box->view()->setCurrentIndex(box->model()->index(1, 0));
    QTest::keyClick(box->view(), Qt::Key_Return);
    QCOMPARE(box->currentText(), ConfigScrn::listedEntry(entry));
    QCOMPARE(rig.link.vars.CommPort, port);
    QCOMPARE(rig.dispPorts, 0);

    // OK keeps the port's name alone, as choosing did: the port display,
    // the stored settings and the port all see the name, never the description.
    rig.dialog.OKButton->click();
    QCOMPARE(rig.link.vars.CommPort, port);
    QCOMPARE(rig.dispPorts, 1);
    QVERIFY(!rig.dialog.isVisible());
}

void ConfigScrnTest::optionClicksWriteAtOnce_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("value");
    const QList<std::array<const char *, 3>> rows{
        {"Baud230", "baud", "230400"}, {"Baud576", "baud", "57600"}, {"Baud384", "baud", "38400"},
        {"Baud192", "baud", "19200"},  {"Baud24", "baud", "115200"}, {"Baud48", "baud", "4800"},
        {"Baud96", "baud", "9600"},    {"Data7", "data", "7"},       {"Data8", "data", "8"},
        {"Stop1", "stop", "1"},        {"Stop2", "stop", "2"},       {"NoParity", "parity", "N"},
        {"OddParity", "parity", "O"},  {"EvenParity", "parity", "E"}, {"NoFlow", "flow", "0"},
        {"XonFlow", "flow", "1"},      {"Hardware", "flow", "2"}};
    for (const auto &r : rows)
        QTest::newRow(r[0]) << QString::fromLatin1(r[0]) << QString::fromLatin1(r[1]) << QString::fromLatin1(r[2]);
}

void ConfigScrnTest::optionClicksWriteAtOnce()
{
    QFETCH(QString, button);
    QFETCH(QString, variable);
    QFETCH(QString, value);
    Rig rig;
    LinkVariables &v = rig.link.vars;
    // Start from values no button stands for, so every click shows.
    v.CommBaud = QStringLiteral("2400");
    v.CommDataBits = v.CommStopBits = QStringLiteral("x");
    v.CommParity = QStringLiteral("M");
    v.CommFlow = 9;
    rig.dialog.Form_Load();
    rig.dialog.show();
    auto *b = rig.dialog.findChild<QRadioButton *>(button);
    clickOption(b);
    QVERIFY(b->isChecked());
    const QMap<QString, QString> now{{"baud", v.CommBaud},     {"data", v.CommDataBits},
                                     {"stop", v.CommStopBits}, {"parity", v.CommParity},
                                     {"flow", QString::number(v.CommFlow)}};
    const QMap<QString, QString> before{
        {"baud", "2400"}, {"data", "x"}, {"stop", "x"}, {"parity", "M"}, {"flow", "9"}};
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        QCOMPARE(it.value(), it.key() == variable ? value : before.value(it.key()));
}

void ConfigScrnTest::okVersusCancel_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("OK button") << QStringLiteral("ok");
    QTest::newRow("Enter") << QStringLiteral("enter");
    QTest::newRow("Cancel button") << QStringLiteral("cancel");
    QTest::newRow("Escape") << QStringLiteral("escape");
    QTest::newRow("close box") << QStringLiteral("close");
}

void ConfigScrnTest::okVersusCancel()
{
    QFETCH(QString, how);
    Rig rig;
    rig.link.vars.CommPort = QStringLiteral("ttyS0");
    rig.dialog.Form_Load();
    rig.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.dialog));
    clickOption(rig.dialog.Baud48);
    rig.dialog.AvalPorts->setEditText(QStringLiteral("ttyUSB3"));
    if (how == "ok")
        QTest::mouseClick(rig.dialog.OKButton, Qt::LeftButton);
    else if (how == "enter")
        QTest::keyClick(rig.dialog.Baud48, Qt::Key_Return);
    else if (how == "cancel")
        QTest::mouseClick(rig.dialog.CancelButton, Qt::LeftButton);
    else if (how == "escape")
        QTest::keyClick(rig.dialog.Baud48, Qt::Key_Escape);
    else
        QVERIFY(rig.dialog.close());
    QVERIFY(!rig.dialog.isVisible());
    const bool ok = how == "ok" || how == "enter";
    // The option click stays in effect either way; only OK takes the box text.
    QCOMPARE(rig.link.vars.CommBaud, QStringLiteral("4800"));
    QCOMPARE(rig.link.vars.CommPort, ok ? QStringLiteral("ttyUSB3") : QStringLiteral("ttyS0"));
    QCOMPARE(rig.dispPorts, ok ? 1 : 0);
}

void ConfigScrnTest::typedNameWithEnter()
{
    Rig rig;
    rig.port.portNames = {QStringLiteral("ttyS0\tBuilt-in"), QStringLiteral("ttyS1")};
    rig.link.vars.CommPort = QStringLiteral("None");
    rig.dialog.Form_Load();
    rig.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.dialog));
    QLineEdit *edit = rig.dialog.AvalPorts->lineEdit();
    edit->selectAll();
    // "ttyS" would complete to a listed entry if completion were on.
    QTest::keyClicks(edit, QStringLiteral("ttyS"));
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(!rig.dialog.isVisible());
    QCOMPARE(rig.link.vars.CommPort, QStringLiteral("ttyS"));
    QCOMPARE(rig.dialog.AvalPorts->count(), 2); // nothing inserted into the list
    QCOMPARE(rig.dispPorts, 1);
}

void ConfigScrnTest::settingsCommandReusesOneDialog()
{
    FakePrinter port;
    FakeOperator op;
    FakePump pump;
    frmTerminal w(&port, &op, &pump);
    port.portNames = {QStringLiteral("ttyS0")};
    QVERIFY(!w.configScrn());
    w.MSettings->trigger();
    ConfigScrn *first = w.configScrn();
    QVERIFY(first && first->isVisible());
    QVERIFY(!first->isModal());
    clickOption(first->Baud96);
    first->AvalPorts->setEditText(QStringLiteral("ttyS0"));
    QTest::mouseClick(first->OKButton, Qt::LeftButton);
    QCOMPARE(w.CurPort->text(), QStringLiteral("ttyS0 9600"));
    QVERIFY(w.DoBreak->isEnabled());

    w.MSettings->trigger();
    QCOMPARE(w.configScrn(), first);
    QVERIFY(first->isVisible());
    QCOMPARE(first->AvalPorts->currentText(), QStringLiteral("ttyS0"));
    QVERIFY(first->Baud96->isChecked());
}

QTEST_MAIN(ConfigScrnTest)
#include "tst_config_scrn.moc"
