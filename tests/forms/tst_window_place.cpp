// Every window comes back onto the screen: a place from a larger display is
// brought onto it, a place in sight is kept, and what shows is what is stored.
#include "macros/frmMacro.h"
#include "preview/ReceiptPreview.h"
#include "support/SimProcess.h"
#include "support/WindowRig.h"

#include <QScreen>
#include <QSettings>
#include <QtTest>

class TestWindowPlace : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { isolateSettings(); }

    void ontoTheScreen_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QPoint>("inSight"); // pixels left on the screen at its right edge, then at its bottom (0: all)
        QTest::newRow("main window, 100 px in sight") << "Main" << QPoint(100, 0);
        QTest::newRow("preview, 104 px in sight") << "Preview" << QPoint(104, 0);
        QTest::newRow("preview, its title bar in sight") << "Preview" << QPoint(0, 30);
        QTest::newRow("preview, most of it in sight: kept") << "Preview" << QPoint(500, 0);
        QTest::newRow("macro window, under a main window moved away") << "Macro" << QPoint(60, 0);
    }

    void ontoTheScreen()
    {
        QFETCH(QString, window);
        QFETCH(QPoint, inSight);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        const QPoint stored(inSight.x() ? area.right() + 1 - inSight.x() : 20, inSight.y() ? area.bottom() + 1 - inSight.y() : area.top());
        settingsStore().clear();
        for (const auto &[key, value] : {std::pair{"Left", stored.x()}, {"Top", stored.y()}, {"Width", 640}, {"Height", 300}})
            settingsStore().setValue(QStringLiteral("Settings/%1%2").arg(window, key), QString::number(value * 15));
        WindowRig rig;
        QWidget *shown = rig.window.get();
        std::unique_ptr<frmMacro> macro;
        if (window == "Preview") {
            rig.window->MPreview->trigger();
            shown = rig.window->previewWindow();
        } else if (window == "Macro") {
            rig.window->move(stored);
            macro = std::make_unique<frmMacro>(rig.window->session(), [] {}, [] {}, rig.window.get());
            shown = macro.get();
        }
        const QRect place(shown->pos(), shown->size());
        QVERIFY(inSight.x() == 500 ? place.topLeft() == stored : area.contains(place));
        rig.window->MFileExit_Click(); // what shows is what is stored
        if (window != "Macro")
            QCOMPARE(settingsStore().value("Settings/" + window + "Left").toString(), QString::number(place.x() * 15));
    }
};

QTEST_MAIN(TestWindowPlace)
#include "tst_window_place.moc"
