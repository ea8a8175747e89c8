// The paper feed: sending only keeps the bytes; they go on paper when asked
// for, when the program is idle (in slices), or all at once at the bound.
#include "session/PaperFeed.h"
#include "printer/interpreter/ReceiptInterpreter.h"
#include "support/ReceiptText.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

class TestPaperFeed : public QObject {
    Q_OBJECT
private slots:
    // Nothing is printed, nor the printer made, until the paper is asked for;
    // then it has every byte, in order, however the bytes came. Switched off,
    // nothing more is kept.
    void takingOnlyKeeps()
    {
        PaperFeed feed;
        feed.take("Hel");
        feed.take("lo\n");
        QCOMPARE(feed.waiting(), 6);
        QVERIFY(!feed.started());
        QCOMPARE(describeReceipt(feed.printedPaper().withPendingLine()).mid(1), (QStringList{"line 0 30", "text 0 0 Hello"}));
        QCOMPARE(feed.waiting(), 0);
        feed.setEnabled(false);
        feed.take("Dropped\n");
        QCOMPARE(feed.printedPaper().offset(), 6);
    }

    // Once nothing more comes, the bytes go on paper by themselves, a slice
    // at a time with the events served in between.
    void idlePrintsInSlices()
    {
        PaperFeed feed;
        QByteArray stream(1024 * 1024, Qt::Uninitialized);
        QRandomGenerator gen(7);
        for (char &c : stream)
            c = char(gen.bounded(256));
        QSignalSpy slices(&feed, &PaperFeed::fedWhileIdle);
        feed.take(stream);
        QVERIFY(!feed.started());
        QTRY_COMPARE_WITH_TIMEOUT(feed.waiting(), 0, 20000);
        QVERIFY2(slices.size() > 1, qPrintable(QString::number(slices.size())));
        ReceiptInterpreter direct;
        direct.feed(stream);
        QCOMPARE(describeAll(feed.printedPaper()), describeAll(direct));
    }

    // The bound: the bytes kept never pass it; reaching it prints them all.
    void theBoundPrintsAtOnce()
    {
        PaperFeed feed;
        feed.take(QByteArray(PaperFeed::kKeepLimit - 1, 'x'));
        QVERIFY(!feed.started());
        feed.take("y");
        QCOMPARE(feed.waiting(), 0);
        QVERIFY(feed.started());
        QCOMPARE(feed.printedPaper().offset(), PaperFeed::kKeepLimit);
    }
};

QTEST_GUILESS_MAIN(TestPaperFeed)
#include "tst_paper_feed.moc"
