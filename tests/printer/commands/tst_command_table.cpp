// Every row of the command table against the one reader and the
// interpreter: its example is read as one whole command however it is split
// (its length rule), worded by its own row, and acted on by the family the
// row names.
#include "printer/commands/CommandReader.h"
#include "printer/commands/PrinterCommands.h"
#include "printer/interpreter/ReceiptInterpreter.h"

#include <QtTest>

using PrinterCommands::Command;

class TestCommandTable : public QObject
{
    Q_OBJECT
private slots:
    void rows_data();
    void rows();
};

void TestCommandTable::rows_data()
{
    QTest::addColumn<bool>("skipped");
    QTest::addColumn<int>("index");
    for (const bool skipped : {false, true}) {
        const QList<Command> &rows = skipped ? PrinterCommands::skippedCommands() : PrinterCommands::table();
        for (int i = 0; i < rows.size(); ++i) {
            if (rows[i].match == Command::Match::Key)
                QTest::addRow("%s %s", qPrintable(rows[i].name), rows[i].key.toHex(' ').constData()) << skipped << i;
        }
    }
}

void TestCommandTable::rows()
{
    QFETCH(bool, skipped);
    QFETCH(int, index);
    const Command &row = (skipped ? PrinterCommands::skippedCommands() : PrinterCommands::table()).at(index);
    const QByteArray &example = row.example;
    QVERIFY2(example.startsWith(row.key), "a row without its example");

    // Length: the whole example and nothing else is one command (or one
    // control byte), whatever the chunks.
    for (int chunk = 1; chunk <= example.size(); ++chunk) {
        CommandReader reader;
        QStringList seen;
        const CommandReader::Handler collect = [&](const CommandReader::Piece &piece) {
            if (piece.part == CommandReader::Part::Command) {
                const Command *framed = piece.frame->row;
                const bool same = framed && framed->key == row.key && framed->family == row.family;
                seen << QStringLiteral("command at %1%2").arg(piece.start).arg(same ? "" : " by another row");
            } else if (piece.part != CommandReader::Part::Header && piece.part != CommandReader::Part::Data
                       && piece.part != CommandReader::Part::End) {
                seen << QStringLiteral("piece %1 at %2").arg(int(piece.part)).arg(piece.at);
            }
            return true;
        };
        for (qsizetype at = 0; at < example.size(); at += chunk)
            reader.feed(example.mid(at, chunk), collect);
        QVERIFY2(!reader.waiting(), qPrintable(reader.command().toHex(' ')));
        if (row.length)
            QVERIFY2(!seen.isEmpty() && seen.count(QStringLiteral("command at 0")) == seen.size(), qPrintable(seen.join(", ")));
        else
            QCOMPARE(seen, QStringList{QStringLiteral("piece %1 at 0").arg(int(CommandReader::Part::Control))});
    }

    // Words and family: the interpreter makes one entry of it, worded by
    // this row, and the family acts on it.
    ReceiptInterpreter interpreter;
    interpreter.setTraceEnabled(true);
    interpreter.feed(example);
    const CommandTrace &trace = *interpreter.trace();
    QCOMPARE(trace.endSequence() - trace.firstSequence(), quint64(1));
    const TraceEntry &entry = *trace.entry(trace.firstSequence());
    QCOMPARE(entry.length(), example.size());
    const QStringList notes = interpreter.takeNotes();
    QVERIFY2(!notes.join('|').contains(QLatin1String("does not act on it")), qPrintable(notes.join('|')));
    if (!row.listed) {
        QCOMPARE(row.family, PrinterCommands::Family::Skipped);
        QCOMPARE(entry.kind, TraceEntry::Kind::Unknown);
        return;
    }
    QVERIFY(interpreter.unknownCommands().isEmpty());
    QCOMPARE(PrinterCommands::find(entry), &row);
    QVERIFY(!PrinterCommands::meaning(entry).isEmpty());
}

QTEST_GUILESS_MAIN(TestCommandTable)
#include "tst_command_table.moc"
