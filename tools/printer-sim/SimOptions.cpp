#include "SimOptions.h"

#include "printer/device/MacroStore.h"
#include "session/CommandLineChecks.h"
#include "session/CommonOptions.h"

#include <QCommandLineParser>

#include <climits>

using CommandLineChecks::wholeNumber;

bool parseHex(const QString &text, QByteArray *bytes)
{
    if (text.size() % 2 != 0)
        return false;
    for (const QChar c : text) {
        const bool hex = (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
            || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
        if (!hex)
            return false;
    }
    *bytes = QByteArray::fromHex(text.toLatin1());
    return true;
}

bool wantsReceipts(int argc, char **argv)
{
    return CommonOptions::asksForReceipts(argc, argv);
}

namespace {
SimCommandLine fail(const QString &message)
{
    SimCommandLine line;
    line.outcome = SimCommandLine::Error;
    line.text = message;
    return line;
}
} // namespace

SimCommandLine parseSimCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Acts as a Marlix receipt printer on a pseudo-terminal. Prints the slave path as the first line\n"
        "of standard output, then serves until SIGINT or SIGTERM. SIGUSR1 toggles busy.\n"
        "It answers status requests (DLE EOT, GS r, GS I, GS a, FS ENQ) from its state, and DLE ENQ and\n"
        "DLE DC4 act on it. Log lines go to standard error. The operator changes the printer's state with lines on standard\n"
        "input: paper out, paper near-end, paper load, cover open, cover close, drawer 1 open, drawer 1 close\n"
        "(and 2), feed, error recoverable|autocutter|unrecoverable|auto, recover, state; help lists them.\n"
        "The macro list query 05 17 is answered with 02 20, then one line per macro (user store, then\n"
        "extended store): size padded to 6, a blank, type (User or Ext) padded to 6, a blank, name, CR LF."));
    const QCommandLineOption tcp(QStringLiteral("tcp"),
        QStringLiteral("Also act as a network printer on TCP port PORT of the loopback interface (0: any free "
                       "port), one connection at a time; the port's name (tcp://127.0.0.1:PORT) is the second "
                       "line of standard output."), QStringLiteral("PORT"));
    parser.addOption(tcp);
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption link(QStringLiteral("link"),
        QStringLiteral("Also make PATH a symlink to the slave pty (removed on exit)."), QStringLiteral("PATH"));
    const QCommandLineOption record(QStringLiteral("record"),
        QStringLiteral("Append every received byte to FILE as upper-case hex pairs separated by one blank, "
                       "one line per chunk read."), QStringLiteral("FILE"));
    const QCommandLineOption receipts = CommonOptions::receipts(
        QStringLiteral("Draw what is printed: each receipt as DIR/receipt-NNN.png (the printable width wide, 576 "
                       "dots on 80 mm paper and 384 on 58 mm, one pixel per dot, black on white) when it is cut, and "
                       "the open one at exit if anything is printed on it; log \"receipt N: 72 x L mm, "
                       "FILE\" (48 x L on 58 mm paper) and each command that is not drawn once. Numbering goes on after the files already "
                       "in DIR."));
    const QCommandLineOption expect = CommonOptions::expect(
        QStringLiteral("With --receipts: when it stops, compare the receipts (numbered from 001) with DIR/receipt-NNN.png "
                       "as marlix-run --expect does; exit status 4 when any differs."));
    const QCommandLineOption update = CommonOptions::update(
        QStringLiteral("With --expect DIR: make the receipts the baseline in DIR instead of comparing."));
    const QCommandLineOption junit = CommonOptions::junit(
        QStringLiteral("With --expect: also write the check as a JUnit XML report."));
    const QCommandLineOption decode(QStringLiteral("decode"),
        QStringLiteral("Log each command and text run that reaches the paper, one line each, in columns: its decimal "
                       "offset in the printed stream, its bytes in hex (the first 6 and the length of a longer one), "
                       "its name (ESC a) and its meaning (justification: centre)."));
    const QCommandLineOption cjk = CommonOptions::cjk(
        QStringLiteral("The printer's two-byte encoding, which FS & turns on: GB18030 (the default), Shift_JIS, Big5 "
                       "or EUC-KR."));
    const QCommandLineOption reply(QStringLiteral("reply"),
        QStringLiteral("When the received bytes end with REQ, send RESP (hex without blanks). Repeatable; "
                       "a later rule replaces an earlier one for the same REQ; the longest matching REQ wins; a rule "
                       "answers in place of the printer's own answer to a request whose bytes it matched."),
        QStringLiteral("REQ=RESP"));
    const QCommandLineOption identity(QStringLiteral("identity"),
        QStringLiteral("Reply to the identity query 05 15 (default \"%1\"); empty makes it silent.")
            .arg(QString::fromLatin1(MacroStore::kDefaultIdentity)), QStringLiteral("TEXT"));
    const QCommandLineOption busy(QStringLiteral("busy"),
        QStringLiteral("Start busy: do not read from the line (SIGUSR1 toggles)."));
    const QCommandLineOption delay(QStringLiteral("reply-delay"),
        QStringLiteral("Wait MS milliseconds before sending a reply (default 0)."), QStringLiteral("MS"));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
        QStringLiteral("Log nothing: print the port line, and only the answers to state and help typed on standard input."));
    const QCommandLineOption paper = CommonOptions::paper(
        QStringLiteral("The paper's width in millimetres: 80 (the default, 576 dots a line) or 58 (384 dots: 32 "
                       "characters of font A a line, 42 of font B)."));
    const QCommandLineOption paperLength = CommonOptions::paperLength(
        QStringLiteral("The roll's length in millimetres (default 80000): printing uses it up, and at its end the "
                       "printer stops with paper out until \"paper load\" on standard input."));
    const QCommandLineOption nearEnd(QStringLiteral("near-end"),
        QStringLiteral("Report the paper near its end when less than MM millimetres are left (default 5000)."),
        QStringLiteral("MM"));
    const QCommandLineOption drawerCloses(QStringLiteral("drawer-closes-after"),
        QStringLiteral("An opened drawer closes by itself after S seconds (default: it stays open until "
                       "\"drawer N close\")."), QStringLiteral("S"));
    parser.addOptions({link, record, receipts, expect, update, junit, decode, cjk, reply, identity, busy, delay, quiet, paper, paperLength, nearEnd,
                       drawerCloses});

    if (!parser.parse(arguments))
        return fail(parser.errorText());
    SimCommandLine line;
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        line.outcome = SimCommandLine::Help;
        line.text = parser.helpText();
        return line;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        line.outcome = SimCommandLine::Version;
        line.text = QStringLiteral("marlix-printer-sim " MARLIX_SIM_VERSION "\n");
        return line;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));

    SimOptions *options = &line.options;
    options->linkPath = parser.value(link);
    options->recordPath = parser.value(record);
    options->receiptsDir = parser.value(receipts);
    options->decode = parser.isSet(decode);
    options->busy = parser.isSet(busy);
    options->quiet = parser.isSet(quiet);
    // Printer data is bytes: the identity text goes out as Latin-1, one byte per character.
    options->identity = parser.isSet(identity) ? parser.value(identity).toLatin1() : MacroStore::kDefaultIdentity;
    if (const QString odd = CommandLineChecks::notLatin1(parser.value(identity)); !odd.isEmpty())
        return fail(QStringLiteral("--identity: %1 is not a single byte (Latin-1)").arg(odd));
    if (parser.isSet(link) && options->linkPath.isEmpty())
        return fail(QStringLiteral("--link needs a path"));
    if (parser.isSet(record) && options->recordPath.isEmpty())
        return fail(QStringLiteral("--record needs a file name"));
    if (parser.isSet(receipts))
        if (const QString wrong = CommonOptions::readReceipts(parser.value(receipts), &options->receiptsDir);
            !wrong.isEmpty())
            return fail(wrong);
    options->expectDir = parser.value(expect);
    options->update = parser.isSet(update);
    options->junitFile = parser.value(junit);
    if (const QString wrong = CommonOptions::baselineError(options->receiptsDir, parser.isSet(expect), options->expectDir,
                                                           options->update, parser.isSet(junit), options->junitFile);
        !wrong.isEmpty())
        return fail(wrong);

    if (parser.isSet(cjk))
        if (const QString wrong = CommonOptions::readCjk(parser.value(cjk), &options->cjk); !wrong.isEmpty())
            return fail(wrong);
    for (const QString &rule : parser.values(reply)) {
        const qsizetype eq = rule.indexOf(QLatin1Char('='));
        QByteArray request, response;
        if (eq <= 0 || !parseHex(rule.left(eq), &request) || !parseHex(rule.mid(eq + 1), &response))
            return fail(QStringLiteral("bad --reply %1: expected REQ=RESP in hex, REQ not empty").arg(rule));
        options->replies.append({request, response});
    }
    if (parser.isSet(tcp)) {
        const std::optional<qint64> port = wholeNumber(parser.value(tcp), 0, 65535);
        if (!port)
            return fail(QStringLiteral("bad --tcp %1: expected a port number from 0 (any free port) to 65535")
                            .arg(parser.value(tcp)));
        options->tcpPort = int(*port);
    }
    if (parser.isSet(delay)) {
        const std::optional<qint64> ms = wholeNumber(parser.value(delay), 0, INT_MAX);
        if (!ms)
            return fail(QStringLiteral("bad --reply-delay %1: expected milliseconds, 0 or more").arg(parser.value(delay)));
        options->replyDelayMs = int(*ms);
    }
    if (parser.isSet(paper))
        if (const QString wrong = CommonOptions::readPaper(parser.value(paper), &options->paperWidthDots); !wrong.isEmpty())
            return fail(wrong);
    if (parser.isSet(paperLength))
        if (const QString wrong = CommonOptions::readPaperLength(parser.value(paperLength), &options->paperLengthMm);
            !wrong.isEmpty())
            return fail(wrong);
    if (parser.isSet(nearEnd))
        if (const QString wrong = CommonOptions::readMillimetres(QStringLiteral("--near-end"), parser.value(nearEnd), 0,
                                                                 &options->nearEndMm);
            !wrong.isEmpty())
            return fail(wrong);
    if (parser.isSet(drawerCloses)) {
        bool ok = false;
        const double seconds = parser.value(drawerCloses).toDouble(&ok);
        if (!ok || !(seconds > 0) || seconds > 86400)
            return fail(QStringLiteral("bad --drawer-closes-after %1: expected seconds, more than 0 and at most 86400")
                            .arg(parser.value(drawerCloses)));
        options->drawerClosesMs = std::max(1, int(seconds * 1000));
    }
    line.outcome = SimCommandLine::Run;
    return line;
}
