// How a run reads the script's folder, its mode and the numbers of directives.
#include "scripts/ScriptArguments.h"

#include <QtTest>

using namespace ScriptArguments;

class tst_ScriptArguments : public QObject {
    Q_OBJECT
private slots:
    void folder_data();
    void folder();
    void mode_data();
    void mode();
    void number_data();
    void number();
    void whole_data();
    void whole();
};

void tst_ScriptArguments::folder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("folder");
    QTest::newRow("absolute") << "/home/op/demo/main.dmo" << "/home/op/demo/";
    QTest::newRow("relative") << "demo/main.dmo" << "demo/";
    QTest::newRow("bare") << "main.dmo" << "";
    QTest::newRow("drive colon") << "C:main.dmo" << "C:";
    QTest::newRow("last character not examined") << "demo/sub/" << "demo/";
    QTest::newRow("only a slash") << "/" << "";
    QTest::newRow("empty") << "" << "";
}

void tst_ScriptArguments::folder()
{
    QFETCH(QString, name);
    QFETCH(QString, folder);
    QCOMPARE(scriptFolder(name), folder);
    QCOMPARE(fileArgument(folder, "part2.dmo"), folder + "part2.dmo");
}

void tst_ScriptArguments::mode_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("script");
    QTest::newRow("dmo") << "/a/receipt.dmo" << true;
    QTest::newRow("DMO") << "/a/RECEIPT.DMO" << true;
    QTest::newRow("no dot needed") << "xdmo" << true;
    QTest::newRow("prn") << "/a/logo.prn" << false;
    QTest::newRow("trailing blank") << "/a/receipt.dmo " << false;
    QTest::newRow("short") << "mo" << false;
}

void tst_ScriptArguments::mode()
{
    QFETCH(QString, box);
    QFETCH(bool, script);
    QCOMPARE(isScriptMode(box), script);
}

void tst_ScriptArguments::number_data()
{
    QTest::addColumn<QByteArray>("argument");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << QByteArray("500") << 500;
    QTest::newRow("blanks") << QByteArray(" 2 50 ") << 250;
    QTest::newRow("stops at a letter") << QByteArray("12ab") << 12;
    QTest::newRow("no digits") << QByteArray("abc") << 0;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("half to even") << QByteArray("2.5") << 2;
    QTest::newRow("exponent") << QByteArray("1E3") << 1000;
    QTest::newRow("hex prefix") << QByteArray("&H10") << 16;
    QTest::newRow("largest") << QByteArray("32767") << 32767;
    QTest::newRow("too large") << QByteArray("32768") << 0;
    QTest::newRow("negative") << QByteArray("-1") << 0;
    QTest::newRow("huge exponent") << QByteArray("1E999") << 0;
}

void tst_ScriptArguments::number()
{
    QFETCH(QByteArray, argument);
    QFETCH(int, value);
    QCOMPARE(numberArgument(argument), value);
}

void tst_ScriptArguments::whole_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("radix");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("value");
    QTest::newRow("negative") << QByteArray("-3") << true << int(WholeNumber::Ok) << -3;
    QTest::newRow("blanks around") << QByteArray("  7 ") << true << int(WholeNumber::Ok) << 7;
    QTest::newRow("blank inside") << QByteArray("1 2") << true << int(WholeNumber::NotANumber) << 0;
    QTest::newRow("trailing letter") << QByteArray("12a") << true << int(WholeNumber::NotANumber) << 0;
    QTest::newRow("empty") << QByteArray("") << true << int(WholeNumber::NotANumber) << 0;
    QTest::newRow("fraction") << QByteArray("-2.5") << true << int(WholeNumber::Ok) << -2;
    QTest::newRow("lowest") << QByteArray("-32768") << true << int(WholeNumber::Ok) << -32768;
    QTest::newRow("below") << QByteArray("-32769") << true << int(WholeNumber::OutOfRange) << 0;
    QTest::newRow("hex") << QByteArray("&hFF") << true << int(WholeNumber::Ok) << 255;
    QTest::newRow("hex not allowed") << QByteArray("&hFF") << false << int(WholeNumber::NotANumber) << 0;
    QTest::newRow("octal") << QByteArray("&O17") << true << int(WholeNumber::Ok) << 15;
}

void tst_ScriptArguments::whole()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, radix);
    QFETCH(int, kind);
    QFETCH(int, value);
    const WholeNumber n = readWholeNumber(text, radix);
    QCOMPARE(int(n.kind), kind);
    if (n.kind == WholeNumber::Ok)
        QCOMPARE(n.rounded, value);
}

QTEST_APPLESS_MAIN(tst_ScriptArguments)
#include "tst_script_arguments.moc"
