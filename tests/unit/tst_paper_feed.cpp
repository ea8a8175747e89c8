// The paper feed: sending only keeps the bytes; they go on paper when asked
// for, when the program is idle (in slices), or all at once at the bound.
#include "preview/PaperFeed.h"
#include "printer/ReceiptInterpreter.h"
#include "support/ReceiptText.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

namespace {
QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator gen(7);
    for (char &c : bytes)
        c = char(gen.bounded(256));
    return bytes;
}

// What the interpreter makes of the stream fed straight in.
QStringList printedDirectly(const QByteArray &stream)
{
    ReceiptInterpreter direct;
    direct.feed(stream);
    return describeAll(direct);
}
} // namespace

class TestPaperFeed : public QObject {
    Q_OBJECT
private slots:
    // Nothing is printed, nor the printer even made, until the paper is asked
    // for; then it has every byte, in order, however the bytes came.
    void takingOnlyKeeps()
    {
        PaperFeed feed;
        feed.take("Hel");
        QCOMPARE(feed.waiting(), 3);
        QVERIFY(!feed.started());
        QCOMPARE(feed.paper().offset(), 3);
        feed.take("lo\n");
        feed.take(PrinterBytes::GS + "V" + PrinterBytes::n(0) + "Two\n");
        QCOMPARE(feed.waiting(), 10);
        QCOMPARE(describeAll(feed.paper()), printedDirectly("Hello\n" + PrinterBytes::GS + "V" + PrinterBytes::n(0) + "Two\n"));
        QCOMPARE(feed.waiting(), 0);
    }

    // Once nothing more comes, the bytes go on paper by themselves, a slice
    // at a time with the events served in between.
    void idlePrintsInSlices()
    {
        PaperFeed feed;
        const QByteArray stream = randomBytes(1024 * 1024);
        QSignalSpy slices(&feed, &PaperFeed::fedWhileIdle);
        feed.take(stream);
        QVERIFY(!feed.started());
        QTRY_COMPARE_WITH_TIMEOUT(feed.waiting(), 0, 20000);
        QVERIFY2(slices.size() > 1, qPrintable(QString::number(slices.size())));
        QCOMPARE(describeAll(feed.paper()), printedDirectly(stream));
    }

    // The bound: the bytes kept never pass it; reaching it prints them all.
    void theBoundPrintsAtOnce()
    {
        PaperFeed feed;
        feed.take(QByteArray(PaperFeed::kKeepLimit - 1, 'x'));
        QCOMPARE(feed.waiting(), PaperFeed::kKeepLimit - 1);
        QVERIFY(!feed.started());
        feed.take("y");
        QCOMPARE(feed.waiting(), 0);
        QVERIFY(feed.started());
        QCOMPARE(feed.paper().offset(), PaperFeed::kKeepLimit);
    }

    // Switched off (a port with paper of its own), nothing is kept; what was
    // kept before goes on paper, nothing is lost.
    void switchedOff()
    {
        PaperFeed feed;
        feed.take("Kept\n");
        feed.setEnabled(false);
        QCOMPARE(feed.waiting(), 0);
        feed.take("Dropped\n");
        QCOMPARE(feed.waiting(), 0);
        QCOMPARE(feed.paper().offset(), 5);
        feed.setEnabled(true);
        feed.take("Again\n");
        QCOMPARE(feed.paper().offset(), 11);
    }
};

QTEST_GUILESS_MAIN(TestPaperFeed)
#include "tst_paper_feed.moc"
