// The macro command set: exact bytes for every command and name.
#include "macros/MacroCommands.h"
#include "support/Fakes.h"

#include <QtTest>

class TestMacroCommands : public QObject {
    Q_OBJECT
private slots:
    void bytes_data();
    void bytes();
    void listText_data();
    void listText();
    void longestNameFitsSixteenBits();
};

void TestMacroCommands::bytes_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QString>("hex");

    const QString demo = QStringLiteral("Demo");
    QTest::newRow("list query") << MacroCommands::listQuery() << "05 17";
    QTest::newRow("print query") << MacroCommands::printQuery(demo) << "1B 1F 71 44 65 6D 6F 00";
    QTest::newRow("remove") << MacroCommands::remove(demo) << "1B 1F 64 44 65 6D 6F 00";
    QTest::newRow("remove, empty name") << MacroCommands::remove(QString()) << "1B 1F 64 00";
    QTest::newRow("play") << MacroCommands::play(demo) << "1B 1F 72 44 65 6D 6F 00";
    QTest::newRow("start silent") << MacroCommands::startSilentRecording(demo) << "1B 1F 62 44 65 6D 6F 00";
    QTest::newRow("end silent") << MacroCommands::endSilentRecording(demo) << "1B 1F 65 44 65 6D 6F 00";
    QTest::newRow("start recording") << MacroCommands::startRecording() << "1B 67 01";
    QTest::newRow("end recording") << MacroCommands::endRecording(demo) << "1B 67 02 1B 1F 6D 44 65 6D 6F 00";
    QTest::newRow("end recording, empty name") << MacroCommands::endRecording(QString()) << "1B 67 02 1B 1F 6D 00";
    QTest::newRow("transfer") << MacroCommands::transfer() << "1B 1F 74 00";
    QTest::newRow("clear extended store") << MacroCommands::clearExtendedStore() << "1B 1F 66 45 58 54 00";
    QTest::newRow("name kept untrimmed") << MacroCommands::play(QStringLiteral(" a ")) << "1B 1F 72 20 61 20 00";
    QTest::newRow("name as single Latin-1 bytes")
        << MacroCommands::play(QString::fromLatin1("\xe9\xff")) << "1B 1F 72 E9 FF 00";
}

void TestMacroCommands::bytes()
{
    QFETCH(QByteArray, command);
    QFETCH(QString, hex);
    QCOMPARE(hexBytes(command), hex);
}

void TestMacroCommands::listText_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("one character") << QByteArray("x") << QByteArray();
    QTest::newRow("two characters") << QByteArray("\x02 ") << QByteArray();
    QTest::newRow("list") << QByteArray("\x02 12     User   Demo\r\n") << QByteArray("12     User   Demo\r\n");
    QTest::newRow("leading characters that look like data") << QByteArray("ABCD") << QByteArray("CD");
}

void TestMacroCommands::listText()
{
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, shown);
    QCOMPARE(MacroCommands::listText(reply), shown);
}

void TestMacroCommands::longestNameFitsSixteenBits()
{
    const QString name(MacroCommands::kMaxNameLength, QLatin1Char('n'));
    QCOMPARE(MacroCommands::endRecording(name).size(), 32767);
}

QTEST_APPLESS_MAIN(TestMacroCommands)
#include "tst_macro_commands.moc"
