// Which identity replies let the operator into macro mode, and which of them
// have an Extended Store.
#include "macros/Identity.h"

#include <QtTest>

using Identity::Model;

Q_DECLARE_METATYPE(std::optional<Identity::Model>)

class TestMacroIdentity : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void extendedStoreOnlyForMx2600_data();
    void extendedStoreOnlyForMx2600();
    void queryIsEnqNak();
};

void TestMacroIdentity::parse_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<std::optional<Model>>("model");
    const std::optional<Model> refused;

    QTest::newRow("default simulator identity") << QByteArray("CMD MX2600 V1.00") << std::optional(Model::MX2600);
    QTest::newRow("10 characters are too few") << QByteArray("CMD MX2100") << refused;
    QTest::newRow("11 characters are enough") << QByteArray("CMD MX2100x") << std::optional(Model::MX2100);
    QTest::newRow("T340QV") << QByteArray("CMD T340QV ") << std::optional(Model::T340QV);
    QTest::newRow("two characters before CMD") << QByteArray("xyCMD MX2600ab") << std::optional(Model::MX2600);
    QTest::newRow("only the first CMD counts") << QByteArray("CMD?CMD MX2100") << refused;
    QTest::newRow("no CMD") << QByteArray("XYZ MX2100 V1") << refused;
    QTest::newRow("lower-case cmd") << QByteArray("cmd MX2100 V1") << refused;
    QTest::newRow("lower-case model") << QByteArray("CMD mx2100 V1") << refused;
    QTest::newRow("separator may be a comma") << QByteArray("CMD,MX2100 V1") << std::optional(Model::MX2100);
    QTest::newRow("separator may be a NUL") << QByteArray("CMD\0MX2100 V1", 14) << std::optional(Model::MX2100);
    QTest::newRow("separator may be a letter") << QByteArray("CMDxT340QV V1") << std::optional(Model::T340QV);
    QTest::newRow("no separator shifts the model") << QByteArray("CMDMX2100 V1") << refused;
    QTest::newRow("longer model text") << QByteArray("CMD MX2100XYZ") << std::optional(Model::MX2100);
    QTest::newRow("model cut short by the end") << QByteArray("abcdefCMD MX21") << refused;
    QTest::newRow("CMD so late one character follows the separator")
        << QByteArray("abcdefghCMD M") << refused;
    QTest::newRow("CMD at the very end") << QByteArray("abcdefghCMD") << refused;
    QTest::newRow("unknown model") << QByteArray("CMD MX9999 V1") << refused;
    QTest::newRow("empty reply") << QByteArray() << refused;
    QTest::newRow("high bytes around the model")
        << QByteArray("\xff\xfe" "CMD MX2600\x80\x81") << std::optional(Model::MX2600);
}

void TestMacroIdentity::parse()
{
    QFETCH(QByteArray, reply);
    QFETCH(std::optional<Model>, model);
    QCOMPARE(Identity::parseIdentityReply(reply), model);
}

void TestMacroIdentity::extendedStoreOnlyForMx2600_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<bool>("extended");
    QTest::newRow("T340QV") << Model::T340QV << false;
    QTest::newRow("MX2100") << Model::MX2100 << false;
    QTest::newRow("MX2600") << Model::MX2600 << true;
}

void TestMacroIdentity::extendedStoreOnlyForMx2600()
{
    QFETCH(Model, model);
    QFETCH(bool, extended);
    QCOMPARE(Identity::hasExtendedStore(model), extended);
}

void TestMacroIdentity::queryIsEnqNak()
{
    QCOMPARE(Identity::query(), QByteArray("\x05\x15"));
}

QTEST_APPLESS_MAIN(TestMacroIdentity)
#include "tst_macro_identity.moc"
