#include "run/RunOptions.h"

#include "scripts/ScriptArguments.h"
#include "session/CommandLineChecks.h"
#include "session/CommonOptions.h"

#include <QCommandLineParser>

namespace {

const QString kDescription = QStringLiteral(
    "Plays demonstration files and commands to a Marlix printer from a shell, as the Marlix Terminal\n"
    "window does, for automation and production lines. The items are done in the order given:\n"
    "  FILE                 a file whose name ends in \"dmo\" (any case) is played as a script, any\n"
    "                       other file is sent byte for byte (as Send Script does)\n"
    "  -c, --command TEXT   TEXT in the command notation, sent as Send Command sends it\n"
    "  --get-response       read and show the printer's reply, as Get Response does\n"
    "Standard output carries exactly what the window's display would show; every message the window\n"
    "would show in a box goes to standard error as one line, and so do the receipts saved, the\n"
    "--decode log and a command the input ended before its data did (\"end of input: GS v 0 waiting\n"
    "for 31 more bytes\"). The port \"virtual\" is the printer built into the program: no hardware needed.\n"
    "Exit status: 0 all items done; 1 a send failed, a file could not be opened, a receipt could not\n"
    "be saved or a message said the run could not go on; 2 bad command line; 3 the port could not be\n"
    "opened; 4 a receipt differs from the --expect baseline (the run itself went well); 128 + N after\n"
    "signal N.\n"
    "In CI: marlix-run -p virtual --receipts out --expect baseline --junit report.xml FILE checks the\n"
    "receipts FILE prints against those in baseline (made once with --update); --paper 58 prints them on\n"
    "58 mm paper.\n"
    "Between a point-of-sale program and its printer: marlix-run --pass-through LISTEN -p PRINTER passes\n"
    "every byte the program sends to the printer and every answer back, unchanged, shows both on\n"
    "standard output (and in --log), saves --receipts and --decode as for a run, says on standard error\n"
    "when a program connects and leaves, and runs until SIGINT or SIGTERM (exit status 0).");

struct Options {
    QCommandLineOption port{{QStringLiteral("p"), QStringLiteral("port")},
                            QStringLiteral("The port: \"virtual\" is the printer built into the program, a bare "
                                           "name means /dev/NAME, /dev/usb/lpN is a USB printer, "
                                           "tcp://HOST[:PORT] a network printer (default: the port saved by "
                                           "the window)."),
                            QStringLiteral("NAME")};
    QCommandLineOption baud = CommonOptions::baud(QStringLiteral("Baud rate (default: saved, 19200)."));
    QCommandLineOption parity = CommonOptions::parity(QStringLiteral("Parity N, E or O (default: saved)."));
    QCommandLineOption dataBits = CommonOptions::dataBits(
        QStringLiteral("7 or 8 data bits (default: saved)."));
    QCommandLineOption stopBits = CommonOptions::stopBits(
        QStringLiteral("1 or 2 stop bits (default: saved)."));
    QCommandLineOption flow = CommonOptions::flow(
        QStringLiteral("Flow control none, xon (XON/XOFF) or hardware (default: saved)."));
    QCommandLineOption packetSize{QStringLiteral("packet-size"),
                                  QStringLiteral("As the window's Packet Size box: scripts hand their bytes to the "
                                                 "port in batches of N (default 20)."),
                                  QStringLiteral("N")};
    QCommandLineOption mode{QStringLiteral("mode"),
                            QStringLiteral("How replies are shown, as the window's option buttons (default "
                                           "normal)."),
                            QStringLiteral("normal|hex|dec")};
    QCommandLineOption noTranscript{QStringLiteral("no-transcript"),
                                    QStringLiteral("Do not show what a script sends (the window's Transcript box "
                                                   "cleared).")};
    QCommandLineOption autoQuery{{QStringLiteral("r"), QStringLiteral("auto-query")},
                                 QStringLiteral("Read the reply after each command (the window's Auto Query).")};
    QCommandLineOption log{QStringLiteral("log"),
                           QStringLiteral("Also append everything shown to FILE, as the window's log does."),
                           QStringLiteral("FILE")};
    QCommandLineOption receipts = CommonOptions::receipts(
        QStringLiteral("Save each receipt the run prints as DIR/receipt-NNN.png (numbering "
                       "goes on after the highest there), the open one at the end: the "
                       "built-in printer's paper, or what any other port took."));
    QCommandLineOption expect = CommonOptions::expect(
        QStringLiteral("With --receipts: number the receipts from 001 and, at the end, compare "
                       "each with DIR/receipt-NNN.png; a receipt that differs, or is in only "
                       "one of the folders, is said in a line on standard error and gets "
                       "receipt-NNN.diff.png beside it. Exit status 4 when any differs."));
    QCommandLineOption update = CommonOptions::update(
        QStringLiteral("With --expect DIR: make this run's receipts the baseline in DIR "
                       "instead of comparing."));
    QCommandLineOption junit = CommonOptions::junit(
        QStringLiteral("With --expect: also write the check as a JUnit XML report, one test "
                       "case per receipt."));
    QCommandLineOption decode{QStringLiteral("decode"),
                              QStringLiteral("Explain each command and text the run prints, a line each, on "
                                             "standard error.")};
    QCommandLineOption cjk = CommonOptions::cjk(
        QStringLiteral("The printer's two-byte encoding, which FS & turns on, for the built-in "
                       "printer and the receipts and decode log of any port: GB18030 (the "
                       "default), Shift_JIS, Big5 or EUC-KR."));
    QCommandLineOption paper = CommonOptions::paper(
        QStringLiteral("The paper's width in millimetres, for the built-in printer and the "
                       "receipts and decode log of any port: 80 (the default, 576 dots a line) "
                       "or 58 (384 dots: 32 characters of font A a line, 42 of font B)."));
    QCommandLineOption paperLength = CommonOptions::paperLength(
        QStringLiteral("The built-in printer's roll in millimetres (default 80000): "
                       "printing uses it up, and at its end the printer stops with "
                       "paper out."));
    QCommandLineOption passThrough = CommonOptions::passThrough(
        QStringLiteral("Serve a point-of-sale program instead of playing items: LISTEN "
                       "is a path, where a pseudo terminal appears for the program to "
                       "open as its printer's serial port, or tcp://HOST:PORT (HOST "
                       "127.0.0.1 when left out), where it connects as to a network "
                       "printer."));
    QCommandLineOption command{{QStringLiteral("c"), QStringLiteral("command")},
                               QStringLiteral("Item: send TEXT, written in the command notation."),
                               QStringLiteral("TEXT")};
    QCommandLineOption getResponse{QStringLiteral("get-response"),
                                   QStringLiteral("Item: read and show the printer's reply.")};
};

void setUp(QCommandLineParser &parser, const Options &o)
{
    parser.setApplicationDescription(kDescription);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({o.port, o.baud, o.parity, o.dataBits, o.stopBits, o.flow, o.packetSize, o.mode,
                       o.noTranscript, o.autoQuery, o.log, o.receipts, o.expect, o.update, o.junit, o.decode, o.cjk, o.paper, o.paperLength, o.passThrough, o.command,
                       o.getResponse});
    parser.addPositionalArgument(QStringLiteral("ITEM"),
                                 QStringLiteral("Files, -c TEXT and --get-response, done in the order given."),
                                 QStringLiteral("[ITEM...]"));
}

// QCommandLineParser keeps positional arguments and each option's values in
// order, but not how the two interleave. Parsing a prefix of the command line
// with the parser itself tells how many items of each kind come before its
// end, by the parser's own rules (compact short options, "--command=TEXT",
// "--"). The counts only grow with the prefix, so a stretch whose items are
// all of one kind needs no parse inside it: splitting only where kinds mix
// keeps a long list of files to a few parses.
class ItemOrder {
public:
    ItemOrder(const QStringList &arguments, const Options &o) : m_args(arguments), m_o(o)
    {
        QCommandLineParser parser;
        setUp(parser, m_o);
        parser.parse(m_args);
        m_files = parser.positionalArguments();
        m_commands = parser.values(m_o.command);
        m_gets = parser.optionNames().count(QStringLiteral("get-response"));
    }

    QList<RunItem> items()
    {
        qsizetype first = 1; // the program alone
        qsizetype last = m_args.size();
        const Counts none = countAt(first);
        const Counts all = countAt(last);
        fill(first, none, last, all);
        return m_items;
    }

private:
    struct Counts {
        qsizetype files = 0;
        qsizetype commands = 0;
        qsizetype gets = 0;
    };

    // Items in the first n arguments. A prefix that ends in an option still
    // waiting for its value does not parse: n moves on to where one does.
    Counts countAt(qsizetype &n) const
    {
        for (; n < m_args.size(); ++n) {
            QCommandLineParser parser;
            setUp(parser, m_o);
            if (parser.parse(m_args.first(n)))
                return {parser.positionalArguments().size(), parser.values(m_o.command).size(),
                        parser.optionNames().count(QStringLiteral("get-response"))};
        }
        n = m_args.size();
        return {m_files.size(), m_commands.size(), m_gets};
    }

    void fill(qsizetype lo, const Counts &a, qsizetype hi, const Counts &b)
    {
        const int kinds = int(b.files > a.files) + int(b.commands > a.commands) + int(b.gets > a.gets);
        if (kinds > 1 && hi - lo > 1) {
            qsizetype mid = lo + (hi - lo) / 2;
            const Counts m = countAt(mid);
            if (mid < hi) {
                fill(lo, a, mid, m);
                fill(mid, m, hi, b);
                return;
            }
        }
        // One kind only (an argument brings at most one item).
        for (qsizetype i = a.files; i < b.files; ++i)
            m_items.append({RunItem::File, m_files.at(i)});
        for (qsizetype i = a.commands; i < b.commands; ++i)
            m_items.append({RunItem::Command, m_commands.at(i)});
        for (qsizetype i = a.gets; i < b.gets; ++i)
            m_items.append({RunItem::GetResponse, QString()});
    }

    const QStringList &m_args;
    const Options &m_o;
    QStringList m_files;
    QStringList m_commands;
    qsizetype m_gets = 0;
    QList<RunItem> m_items;
};

using CommandLineChecks::choice;
using CommandLineChecks::notLatin1;

CommandLine error(const QString &text)
{
    CommandLine line;
    line.outcome = CommandLine::Error;
    line.text = text;
    return line;
}

} // namespace

CommandLine parseRunCommandLine(const QStringList &arguments, const LinkVariables &saved)
{
    const Options o;
    QCommandLineParser parser;
    setUp(parser, o);
    if (!parser.parse(arguments))
        return error(parser.errorText());

    CommandLine line;
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        line.outcome = CommandLine::Help;
        line.text = parser.helpText();
        return line;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        line.outcome = CommandLine::Version;
        line.text = QStringLiteral("marlix-run " MARLIX_VERSION "\n");
        return line;
    }

    RunOptions &run = line.options;
    LinkVariables &link = run.link;
    link = saved;
    link.PortOpen = false;
    if (parser.isSet(o.port)) {
        link.CommPort = parser.value(o.port).trimmed();
        if (link.CommPort.isEmpty())
            return error(QStringLiteral("--port needs a name"));
    }
    if (link.CommPort.trimmed().isEmpty() || link.CommPort.trimmed() == QLatin1String("None"))
        return error(QStringLiteral("no port: give one with --port NAME (the window has none saved)"));
    if (parser.isSet(o.baud)) {
        qint64 baud = 0;
        if (const QString wrong = CommonOptions::readBaud(parser.value(o.baud), &baud); !wrong.isEmpty())
            return error(wrong);
        link.CommBaud = QString::number(baud);
    }
    // Each as the settings dialog keeps it.
    if (parser.isSet(o.parity))
        if (const QString wrong = CommonOptions::readParity(parser.value(o.parity), &link.CommParity); !wrong.isEmpty())
            return error(wrong);
    if (parser.isSet(o.dataBits))
        if (const QString wrong = CommonOptions::readDataBits(parser.value(o.dataBits), &link.CommDataBits);
            !wrong.isEmpty())
            return error(wrong);
    if (parser.isSet(o.stopBits))
        if (const QString wrong = CommonOptions::readStopBits(parser.value(o.stopBits), &link.CommStopBits);
            !wrong.isEmpty())
            return error(wrong);
    if (parser.isSet(o.flow))
        if (const QString wrong = CommonOptions::readFlow(parser.value(o.flow), &link.CommFlow); !wrong.isEmpty())
            return error(wrong);
    if (parser.isSet(o.packetSize)) {
        const QString text = parser.value(o.packetSize);
        const ScriptArguments::WholeNumber n = ScriptArguments::readWholeNumber(text.toLatin1(), false);
        if (!notLatin1(text).isEmpty() || n.kind != ScriptArguments::WholeNumber::Ok)
            return error(QStringLiteral("bad --packet-size %1: expected a whole number from -32768 to 32767")
                             .arg(text));
        run.packetSize = text;
    }
    if (parser.isSet(o.mode)) {
        const qsizetype i = choice(parser.value(o.mode),
                                   {QStringLiteral("normal"), QStringLiteral("hex"), QStringLiteral("dec")});
        if (i < 0)
            return error(QStringLiteral("bad --mode %1: expected normal, hex or dec").arg(parser.value(o.mode)));
        run.mode = i == 1 ? DisplayMode::Hex : i == 2 ? DisplayMode::Dec : DisplayMode::Normal;
    }
    run.transcript = !parser.isSet(o.noTranscript);
    run.autoQuery = parser.isSet(o.autoQuery);
    if (parser.isSet(o.log)) {
        run.logFile = parser.value(o.log);
        if (run.logFile.isEmpty())
            return error(QStringLiteral("--log needs a file name"));
    }
    if (parser.isSet(o.receipts))
        if (const QString wrong = CommonOptions::readReceipts(parser.value(o.receipts), &run.receiptsDir);
            !wrong.isEmpty())
            return error(wrong);
    run.expectDir = parser.value(o.expect);
    run.update = parser.isSet(o.update);
    run.junitFile = parser.value(o.junit);
    if (const QString wrong = CommonOptions::baselineError(run.receiptsDir, parser.isSet(o.expect), run.expectDir,
                                                           run.update, parser.isSet(o.junit), run.junitFile);
        !wrong.isEmpty())
        return error(wrong);
    run.decode = parser.isSet(o.decode);
    if (parser.isSet(o.cjk))
        if (const QString wrong = CommonOptions::readCjk(parser.value(o.cjk), &run.cjk); !wrong.isEmpty())
            return error(wrong);
    if (parser.isSet(o.paper))
        if (const QString wrong = CommonOptions::readPaper(parser.value(o.paper), &run.paperWidthDots);
            !wrong.isEmpty())
            return error(wrong);
    if (parser.isSet(o.paperLength))
        if (const QString wrong = CommonOptions::readPaperLength(parser.value(o.paperLength), &run.paperLengthMm);
            !wrong.isEmpty())
            return error(wrong);

    run.items = ItemOrder(arguments, o).items();
    if (parser.isSet(o.passThrough)) {
        if (const QString wrong = CommonOptions::readPassThrough(parser.value(o.passThrough), &run.passThrough);
            !wrong.isEmpty())
            return error(wrong);
        if (!run.items.isEmpty())
            return error(QStringLiteral("--pass-through passes a point-of-sale program's bytes; it plays no "
                                        "files, --command or --get-response"));
        line.outcome = CommandLine::Run;
        return line;
    }
    if (run.items.isEmpty())
        return error(QStringLiteral("nothing to do: give a file, --command TEXT or --get-response"));
    for (const RunItem &item : std::as_const(run.items)) {
        if (item.kind == RunItem::File && item.text.isEmpty())
            return error(QStringLiteral("an empty file name"));
        // Such a character cannot be one byte; the window refuses it too.
        const QString odd = notLatin1(item.text);
        if (item.kind == RunItem::Command && !odd.isEmpty())
            return error(QStringLiteral("--command %1: \"%2\" is not a single-byte (Latin-1) character; write "
                                        "the byte as a number, such as <233>")
                             .arg(item.text, odd));
    }
    line.outcome = CommandLine::Run;
    return line;
}
