// Send Command and Get Response through the real serial port over a pty to the printer simulator.
#include "support/Fakes.h"
#include "support/SimProcess.h"
#include "session/Session.h"
#include "terminal/frmTerminal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

class tst_commands_e2e : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void escAtSendsExactlyItsBytes();
    void statusReplyDecoded_data();
    void statusReplyDecoded();
    void silentPrinter();

private:
    void send(const QString &command, bool autoQuery);

    std::unique_ptr<SimProcess> m_sim;
    FakeOperator m_op;
    std::unique_ptr<frmTerminal> m_w;
};

void tst_commands_e2e::initTestCase()
{
    isolateSettings();
}

void tst_commands_e2e::init()
{
    // 1B 40 is answered with a status reply: NAK, cash drawer 1.
    m_sim = std::make_unique<SimProcess>(QStringList{QStringLiteral("--reply"), QStringLiteral("1B40=1501")});
    if (!m_sim->start())
        QSKIP(qPrintable(QStringLiteral("no printer simulator to talk to: ") + m_sim->error()));
    m_w = std::make_unique<frmTerminal>(nullptr, &m_op, nullptr); // the real port and event pump
    m_w->show();
    m_w->session().link.vars.CommPort = m_sim->port();
    m_w->session().link.vars.CommFlow = 0;
}

void tst_commands_e2e::cleanup()
{
    m_w.reset();
    m_sim.reset();
}

void tst_commands_e2e::send(const QString &command, bool autoQuery)
{
    m_w->findChild<QCheckBox *>(QStringLiteral("AutoQuery"))->setChecked(autoQuery);
    m_w->findChild<QComboBox *>(QStringLiteral("SendInfo"))->setEditText(command);
    QTest::mouseClick(m_w->findChild<QPushButton *>(QStringLiteral("SendCommand")), Qt::LeftButton);
}

void tst_commands_e2e::escAtSendsExactlyItsBytes()
{
    send(QStringLiteral("[ESC]@"), false);
    QVERIFY(m_sim->waitForReceived(2));
    QCOMPARE(hexBytes(m_sim->received()), QStringLiteral("1B 40"));
    QCOMPARE(m_w->termText(), QByteArray("\r\n[ESC]@"));
    QVERIFY(m_op.asked.isEmpty());
}

void tst_commands_e2e::statusReplyDecoded_data()
{
    QTest::addColumn<QString>("modeButton");
    QTest::addColumn<QByteArray>("shownReply");
    QTest::newRow("Normal") << "Option3" << QByteArray("[NAK][SOH]");
    QTest::newRow("Hex") << "Option1" << QByteArray("<15><1>");
    QTest::newRow("Dec") << "Option2" << QByteArray("<21><1>");
}

void tst_commands_e2e::statusReplyDecoded()
{
    QFETCH(QString, modeButton);
    QFETCH(QByteArray, shownReply);
    QTest::mouseClick(m_w->findChild<QRadioButton *>(modeButton), Qt::LeftButton);
    send(QStringLiteral("[ESC]@"), true);
    QCOMPARE(hexBytes(m_sim->received()), QStringLiteral("1B 40"));
    QCOMPARE(m_w->termText(),
             QByteArray("\r\n[ESC]@\r\n") + shownReply + "\r\n**Cash Drawer 1 Open**\r\n");
    QVERIFY(m_w->session().link.ClosePending);
}

void tst_commands_e2e::silentPrinter()
{
    send(QStringLiteral("A"), true);
    QCOMPARE(m_w->termText(), QByteArray("\r\nA\r\n** No Responce**\r\n"));
    QCOMPARE(hexBytes(m_sim->received()), QStringLiteral("41"));
    // Get Response on its own: the simulator still says nothing.
    QTest::mouseClick(m_w->findChild<QPushButton *>(QStringLiteral("Getresp")), Qt::LeftButton);
    QVERIFY(m_w->termText().endsWith("\r\n** No Responce**\r\n\r\n** No Responce**\r\n"));
}

QTEST_MAIN(tst_commands_e2e)
#include "tst_commands_e2e.moc"
