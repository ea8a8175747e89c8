// Settings persistence: defaults, compaction of the recent lists, round trips.
#include "support/SimProcess.h"
#include "session/SettingsStore.h"

#include <QSettings>
#include <QtTest>

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { isolateSettings(); }
    void init() { settingsStore().clear(); }

    void emptyStoreGivesDefaults()
    {
        const SettingsStore::Stored st = SettingsStore::load();
        QCOMPARE(st.mainLeft, 100);
        QCOMPARE(st.mainTop, 100);
        QCOMPARE(st.link.CommPort, QStringLiteral("None"));
        QCOMPARE(st.link.CommBaud, QStringLiteral("19200"));
        QCOMPARE(st.link.CommParity, QStringLiteral("N"));
        QCOMPARE(st.link.CommDataBits, QStringLiteral("8"));
        QCOMPARE(st.link.CommStopBits, QStringLiteral("1"));
        QCOMPARE(st.link.CommFlow, qint16(2));
        QVERIFY(st.commands.isEmpty());
        QVERIFY(st.scripts.isEmpty());
    }

    void listKeysAreLettersAToU()
    {
        QCOMPARE(SettingsStore::listKey(QStringLiteral("Commands"), 0), QStringLiteral("CommandsA"));
        QCOMPARE(SettingsStore::listKey(QStringLiteral("Scripts"), 20), QStringLiteral("ScriptsU"));
    }

    void compactionOnLoadAndKeysLeftAlone()
    {
        {
            QSettings s = settingsStore();
            s.setValue(QStringLiteral("Settings/CommandsA"), QStringLiteral("[ESC]@"));
            s.setValue(QStringLiteral("Settings/CommandsC"), QStringLiteral("<x1D>V<0>"));
            s.setValue(QStringLiteral("Settings/ScriptsU"), QStringLiteral("/tmp/last.dmo"));
        }
        const SettingsStore::Stored st = SettingsStore::load();
        QCOMPARE(st.commands, (QStringList{QStringLiteral("[ESC]@"), QStringLiteral("<x1D>V<0>")}));
        QCOMPARE(st.scripts, QStringList{QStringLiteral("/tmp/last.dmo")});

        SettingsStore::save(1500, 3000, st.link, st.commands, st.scripts);
        QSettings s = settingsStore();
        QCOMPARE(s.value(QStringLiteral("Settings/CommandsA")).toString(), QStringLiteral("[ESC]@"));
        QCOMPARE(s.value(QStringLiteral("Settings/CommandsB")).toString(), QStringLiteral("<x1D>V<0>"));
        // Keys at or beyond the list's length keep their old value.
        QCOMPARE(s.value(QStringLiteral("Settings/CommandsC")).toString(), QStringLiteral("<x1D>V<0>"));
        QCOMPARE(s.value(QStringLiteral("Settings/ScriptsA")).toString(), QStringLiteral("/tmp/last.dmo"));
        QCOMPARE(s.value(QStringLiteral("Settings/ScriptsU")).toString(), QStringLiteral("/tmp/last.dmo"));
    }

    void onlyTwentyOneEntriesAreSaved()
    {
        QStringList many;
        for (int i = 0; i < 25; ++i)
            many << QStringLiteral("cmd%1").arg(i);
        SettingsStore::save(100, 100, LinkVariables(), many, {});
        QSettings s = settingsStore();
        QCOMPARE(s.value(QStringLiteral("Settings/CommandsU")).toString(), QStringLiteral("cmd20"));
        QVERIFY(!s.contains(QStringLiteral("Settings/CommandsV")));
        QCOMPARE(SettingsStore::load().commands.size(), 21);
    }

    void roundTripOfLinkVariablesAsText()
    {
        LinkVariables v;
        v.CommPort = QStringLiteral("/dev/serial/by-id/usb-Printer_1234-if00");
        v.CommBaud = QStringLiteral("2400");
        v.CommParity = QStringLiteral("E");
        v.CommDataBits = QStringLiteral("7");
        v.CommStopBits = QStringLiteral("2");
        v.CommFlow = 0;
        SettingsStore::save(-45, 30000, v, {}, {});
        {
            QSettings s = settingsStore();
            QCOMPARE(s.value(QStringLiteral("Settings/Flow")).toString(), QStringLiteral("0"));
            QCOMPARE(s.value(QStringLiteral("Settings/MainLeft")).toString(), QStringLiteral("-45"));
        }
        const SettingsStore::Stored st = SettingsStore::load();
        QCOMPARE(st.mainLeft, -45);
        QCOMPARE(st.mainTop, 30000);
        QCOMPARE(st.link.CommPort, v.CommPort);
        QCOMPARE(st.link.CommBaud, v.CommBaud);
        QCOMPARE(st.link.CommParity, v.CommParity);
        QCOMPARE(st.link.CommDataBits, v.CommDataBits);
        QCOMPARE(st.link.CommStopBits, v.CommStopBits);
        QCOMPARE(st.link.CommFlow, qint16(0));
    }

    // Network printers confirmed one after another: the port list offers the
    // last five, newest first, each once; other names are not remembered.
    void rememberedNetworkPrinters_data()
    {
        QTest::addColumn<QStringList>("confirmed");
        QTest::addColumn<QStringList>("remembered");
        using L = QStringList;
        QTest::newRow("newest first") << L{"tcp://a", "tcp://b:9101"} << L{"tcp://b:9101", "tcp://a"};
        QTest::newRow("again moves to the front")
            << L{"tcp://a", "tcp://b", "tcp://a"} << L{"tcp://a", "tcp://b"};
        QTest::newRow("five kept") << L{"tcp://1", "tcp://2", "tcp://3", "tcp://4", "tcp://5", "tcp://6"}
                                   << L{"tcp://6", "tcp://5", "tcp://4", "tcp://3", "tcp://2"};
        QTest::newRow("not network printers")
            << L{"tcp://a", "ttyUSB0", "/dev/usb/lp0", "None", "tcp://a:0", "tcp://"} << L{"tcp://a"};
        QTest::newRow("a listed entry gives its name")
            << L{"tcp://a:9100\tNetwork printer (used before)", " tcp://b "} << L{"tcp://b", "tcp://a:9100"};
    }

    void rememberedNetworkPrinters()
    {
        QFETCH(QStringList, confirmed);
        QFETCH(QStringList, remembered);
        for (const QString &name : confirmed)
            SettingsStore::rememberNetPort(name);
        QCOMPARE(SettingsStore::loadNetPorts(), remembered);
        // Stored where the other lists are, with letters after the name.
        QCOMPARE(settingsStore().value(QStringLiteral("Settings/NetPortA")).toString(), remembered.first());
        QVERIFY(!settingsStore().contains(QStringLiteral("Settings/NetPortF")));
        // Saving the window's settings leaves them alone.
        const SettingsStore::Stored st = SettingsStore::load();
        SettingsStore::save(100, 100, st.link, st.commands, st.scripts);
        QCOMPARE(SettingsStore::loadNetPorts(), remembered);
    }

    void valuesThatAreNotNumbers_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("flow");
        QTest::addColumn<int>("expectedLeft");
        QTest::addColumn<int>("expectedFlow");
        QTest::newRow("words") << "left" << "hardware" << 100 << 2;
        QTest::newRow("empty") << "" << "" << 100 << 2;
        QTest::newRow("fraction") << "12.5" << "1.5" << 100 << 2;
        QTest::newRow("blanks around") << " 300 " << " 1 " << 300 << 1;
        QTest::newRow("beyond 16 bits flow") << "99999" << "70000" << 99999 << 2;
    }

    void valuesThatAreNotNumbers()
    {
        QFETCH(QString, left);
        QFETCH(QString, flow);
        QFETCH(int, expectedLeft);
        QFETCH(int, expectedFlow);
        {
            QSettings s = settingsStore();
            s.setValue(QStringLiteral("Settings/MainLeft"), left);
            s.setValue(QStringLiteral("Settings/Flow"), flow);
        }
        const SettingsStore::Stored st = SettingsStore::load();
        QCOMPARE(st.mainLeft, expectedLeft);
        QCOMPARE(int(st.link.CommFlow), expectedFlow);
    }

    // Another window's place: all four keys or none, stored as text in twips.
    void windowPlace_data()
    {
        QTest::addColumn<QStringList>("stored"); // Left, Top, Width, Height; "-" leaves a key out
        QTest::addColumn<bool>("loads");
        QTest::addColumn<QList<int>>("place");
        QTest::newRow("all four") << QStringList{"1500", "300", "7200", "9000"} << true << QList<int>{1500, 300, 7200, 9000};
        QTest::newRow("blanks around, negative position")
            << QStringList{" -150 ", "0", "4500", "6000"} << true << QList<int>{-150, 0, 4500, 6000};
        QTest::newRow("nothing stored") << QStringList{"-", "-", "-", "-"} << false << QList<int>{};
        QTest::newRow("height missing") << QStringList{"1500", "300", "7200", "-"} << false << QList<int>{};
        QTest::newRow("not a number") << QStringList{"left", "300", "7200", "9000"} << false << QList<int>{};
        QTest::newRow("no width") << QStringList{"1500", "300", "0", "9000"} << false << QList<int>{};
    }

    void windowPlace()
    {
        QFETCH(QStringList, stored);
        QFETCH(bool, loads);
        QFETCH(QList<int>, place);
        const QStringList keys{"Left", "Top", "Width", "Height"};
        {
            QSettings s = settingsStore();
            for (int i = 0; i < 4; ++i) {
                if (stored[i] != QLatin1String("-"))
                    s.setValue(QStringLiteral("Settings/Preview") + keys[i], stored[i]);
            }
        }
        const std::optional<SettingsStore::WindowPlace> loaded = SettingsStore::loadPlace(QStringLiteral("Preview"));
        QCOMPARE(loaded.has_value(), loads);
        if (!loads)
            return;
        QCOMPARE(*loaded, (SettingsStore::WindowPlace{place[0], place[1], place[2], place[3]}));

        // Saved back beside the other keys, which stay as they were.
        settingsStore().setValue(QStringLiteral("Settings/MainLeft"), QStringLiteral("450"));
        SettingsStore::savePlace(QStringLiteral("Preview"), {15, 30, 450, 600});
        QSettings s = settingsStore();
        QCOMPARE(s.value(QStringLiteral("Settings/PreviewLeft")).toString(), QStringLiteral("15"));
        QCOMPARE(s.value(QStringLiteral("Settings/PreviewHeight")).toString(), QStringLiteral("600"));
        QCOMPARE(s.value(QStringLiteral("Settings/MainLeft")).toString(), QStringLiteral("450"));
        QCOMPARE(SettingsStore::loadPlace(QStringLiteral("Preview")), (SettingsStore::WindowPlace{15, 30, 450, 600}));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
