// The About box and the help documents: texts, one instance, where a
// document is looked for and that the Help menu hands it to the desktop.
#include "help/HelpDocs.h"
#include "help/frmAbout.h"
#include "support/Fakes.h"
#include "support/SimProcess.h"
#include "session/Session.h"
#include "terminal/frmTerminal.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

// Stands in for the desktop's "open with the default program".
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
    Q_INVOKABLE void open(const QUrl &url) { opened << url; }
};

class AboutHelpTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void aboutTexts();
    void versionText_data();
    void versionText();
    void sysInfoIsUnavailable();
    void aboutIsOneInstance();
    void lookupOrder_data();
    void lookupOrder();
    void searchFoldersStartWithStartDir();
    void helpMenuOpensDocuments_data();
    void helpMenuOpensDocuments();

private:
    UrlCatcher m_catcher;
};

void AboutHelpTest::initTestCase()
{
    isolateSettings();
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_catcher, "open");
}

void AboutHelpTest::cleanupTestCase()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

void AboutHelpTest::aboutTexts()
{
    FakeOperator op;
    frmAbout about(op);
    QCOMPARE(about.windowTitle(), QStringLiteral("About Marlix Terminal"));
    QCOMPARE(about.findChild<QLabel *>("lblTitle")->text(), QStringLiteral("Marlix Terminal"));
    QCOMPARE(about.findChild<QLabel *>("lblVersion")->text(), QStringLiteral("300-05171 Version 1.7.4"));
    QCOMPARE(about.findChild<QLabel *>("lblDescription")->text(),
             QStringLiteral("This program allows data to be interactively sent and received from Marlix "
                            "series printers."));
    QVERIFY(about.findChild<QLabel *>("lblDisclaimer")->text().startsWith(QStringLiteral("Copyright")));
    QVERIFY(!about.findChild<QLabel *>("picIcon")->pixmap().isNull());
    QCOMPARE(about.findChild<QPushButton *>("cmdSysInfo")->text(), QStringLiteral("&System Info..."));
    QCOMPARE(about.findChild<QPushButton *>("cmdOK")->text(), QStringLiteral("OK"));
    QVERIFY(!about.isModal());
}

void AboutHelpTest::versionText_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("text");
    QTest::newRow("this build") << 1 << 7 << 4 << QStringLiteral("300-05171 Version 1.7.4");
    QTest::newRow("no leading zeros") << 2 << 0 << 10 << QStringLiteral("300-05171 Version 2.0.10");
}

void AboutHelpTest::versionText()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, text);
    QCOMPARE(frmAbout::versionText(major, minor, revision), text);
}

void AboutHelpTest::sysInfoIsUnavailable()
{
    FakeOperator op;
    frmAbout about(op);
    about.show();
    QTest::mouseClick(about.cmdSysInfo, Qt::LeftButton);
    QCOMPARE(op.asked.size(), 1);
    QCOMPARE(op.asked.constFirst().text, QStringLiteral("System Information Is Unavailable At This Time"));
    QCOMPARE(op.asked.constFirst().buttons, Msg::Buttons::Ok);
    QVERIFY(about.isVisible());
    QTest::mouseClick(about.cmdOK, Qt::LeftButton);
    QVERIFY(!about.isVisible());
}

void AboutHelpTest::aboutIsOneInstance()
{
    FakePrinter port;
    FakeOperator op;
    FakePump pump;
    frmTerminal w(&port, &op, &pump);
    w.show();
    QVERIFY(!w.aboutBox());
    w.HelpAbout->trigger();
    frmAbout *first = w.aboutBox();
    QVERIFY(first && first->isVisible());
    w.HelpAbout->trigger();
    QCOMPARE(w.aboutBox(), first);
    QCOMPARE(w.findChildren<frmAbout *>().size(), 1);
    QTest::mouseClick(first->cmdOK, Qt::LeftButton);
    QVERIFY(!first->isVisible());
    w.HelpAbout->trigger();
    QCOMPARE(w.aboutBox(), first);
    QVERIFY(first->isVisible());
    QVERIFY(w.isEnabled()); // modeless: the main window stays usable
}

void AboutHelpTest::lookupOrder_data()
{
    QTest::addColumn<QStringList>("holding"); // folders ("a", "b", "c") that hold the document
    QTest::addColumn<QString>("found");       // "" when none
    QTest::newRow("first wins") << QStringList{"a", "b", "c"} << QStringLiteral("a");
    QTest::newRow("second when the first has none") << QStringList{"b", "c"} << QStringLiteral("b");
    QTest::newRow("last") << QStringList{"c"} << QStringLiteral("c");
    QTest::newRow("nowhere") << QStringList{} << QString();
}

void AboutHelpTest::lookupOrder()
{
    QFETCH(QStringList, holding);
    QFETCH(QString, found);
    QTemporaryDir root;
    QStringList folders;
    for (const QString &f : {"a", "b", "c"}) {
        QVERIFY(QDir(root.path()).mkpath(f));
        folders << root.filePath(f);
    }
    // A folder named like the document is not the document.
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("a/MXCmd.htm")));
    for (const QString &f : holding) {
        QFile doc(root.filePath(f + QStringLiteral("/MXDEMO.htm")));
        QVERIFY(doc.open(QIODevice::WriteOnly));
    }
    QCOMPARE(HelpDocs::findHelpDocument(folders, QStringLiteral("MXDEMO.htm")),
             found.isEmpty() ? QString() : root.filePath(found + QStringLiteral("/MXDEMO.htm")));
    QCOMPARE(HelpDocs::findHelpDocument(folders, QStringLiteral("MXCmd.htm")), QString());
}

void AboutHelpTest::searchFoldersStartWithStartDir()
{
    const QStringList folders = HelpDocs::searchFolders(QStringLiteral("/somewhere/started"));
    QCOMPARE(folders.first(), QStringLiteral("/somewhere/started"));
    // Then the documents installed beside the program, wherever it was installed to.
    QCOMPARE(folders.at(1), QDir::cleanPath(QCoreApplication::applicationDirPath()
                                            + QStringLiteral("/../share/doc/rizeruzozo")));
    QVERIFY(folders.contains(QDir::cleanPath(QStringLiteral(MARLIX_DOCDIR))));
    QCOMPARE(folders.size(), int(QSet<QString>(folders.cbegin(), folders.cend()).size()));
}

void AboutHelpTest::helpMenuOpensDocuments_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("document");
    QTest::newRow("Operation") << QStringLiteral("Operation") << QStringLiteral("MXDEMO.htm");
    QTest::newRow("MX2100 Commands") << QStringLiteral("MXCommands") << QStringLiteral("MXCmd.htm");
    QTest::newRow("Programmers Guide") << QStringLiteral("PGMGuide") << QStringLiteral("MXpgm.htm");
    QTest::newRow("Pass-Through") << QStringLiteral("PassHelp") << QStringLiteral("MXPass.htm");
    QTest::newRow("macro help") << QString() << QStringLiteral("MXMacro.htm");
}

void AboutHelpTest::helpMenuOpensDocuments()
{
    QFETCH(QString, action);
    QFETCH(QString, document);
    FakePrinter port;
    FakeOperator op;
    FakePump pump;
    frmTerminal w(&port, &op, &pump);
    QTemporaryDir start;
    w.session().StartDir = start.path();
    auto trigger = [&] {
        if (action.isEmpty())
            w.MXMacroHelp();
        else
            w.findChild<QAction *>(action)->trigger();
    };
    m_catcher.opened.clear();
    const bool installed = QFileInfo::exists(QStringLiteral(MARLIX_DOCDIR "/") + document);
    trigger();
    // Missing from the start-up folder: only an installed copy may open, and
    // nothing is reported either way.
    QCOMPARE(m_catcher.opened.size(), installed ? 1 : 0);
    QVERIFY(op.asked.isEmpty());

    QFile doc(start.filePath(document));
    QVERIFY(doc.open(QIODevice::WriteOnly));
    doc.close();
    m_catcher.opened.clear();
    trigger();
    QCOMPARE(m_catcher.opened, QList<QUrl>{QUrl::fromLocalFile(start.filePath(document))});
}

QTEST_MAIN(AboutHelpTest)
#include "tst_about_help.moc"
