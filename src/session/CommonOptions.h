#pragma once
// The options the command lines share (the window's, marlix-run's and the
// printer simulator's): each declared once, with its names and the name of its
// value, read by one check with one limit, and refused with one message. A
// face gives its own help sentence, since what the option does there is its
// own (the simulator's receipts are logged, marlix-run's said on standard error).
#include "printer/paper/Receipt.h"

#include <QCommandLineOption>
#include <QString>

#include <memory>

class QCoreApplication;

namespace CommonOptions {

// The fastest rate Linux serial drivers name.
constexpr qint64 kMaxBaud = 4000000;
// A roll of up to 1000 km: any real one, and room for a check that must never run out.
constexpr qint64 kMaxRollMm = 1000LL * 1000 * 1000;

QCommandLineOption baud(const QString &help);
QCommandLineOption parity(const QString &help);
QCommandLineOption dataBits(const QString &help);
QCommandLineOption stopBits(const QString &help);
QCommandLineOption flow(const QString &help);
QCommandLineOption passThrough(const QString &help);
QCommandLineOption receipts(const QString &help);
QCommandLineOption expect(const QString &help);
QCommandLineOption update(const QString &help);
QCommandLineOption junit(const QString &help);
QCommandLineOption cjk(const QString &help);
QCommandLineOption paper(const QString &help);
QCommandLineOption paperLength(const QString &help);

// The window words a refusal its own way for two options (its landed words);
// the console tools share theirs.
enum class Wording { Console, Window };

// Each check reads the value as given and returns "" with *value set, or the
// message and leaves *value as it was.
QString readBaud(const QString &text, qint64 *value, Wording wording = Wording::Console);
QString readParity(const QString &text, QString *value);   // "N", "E" or "O"
QString readDataBits(const QString &text, QString *value); // "7" or "8"
QString readStopBits(const QString &text, QString *value); // "1" or "2"
QString readFlow(const QString &text, qint16 *value);      // 0 none, 1 XON/XOFF, 2 hardware
QString readPassThrough(const QString &text, QString *listen, Wording wording = Wording::Console);
QString readReceipts(const QString &text, QString *dir);
QString readCjk(const QString &text, TwoByteCode *value);
QString readPaper(const QString &text, int *widthDots);
// Millimetres from least to kMaxRollMm; name is the option's ("--paper-length", "--near-end").
QString readMillimetres(const QString &name, const QString &text, qint64 least, qint64 *value);
QString readPaperLength(const QString &text, qint64 *mm);

// The rules of --expect DIR, --update and --junit FILE together, the same in
// every program: "" when they hold, else what is wrong. The values as given;
// expectSet and junitSet say whether they were given at all.
QString baselineError(const QString &receiptsDir, bool expectSet, const QString &expectDir, bool update,
                      bool junitSet, const QString &junitFile);

// Whether a command line asks for --receipts or --decode, looked at before
// the application object exists: drawing needs a QGuiApplication. It may say
// yes for an option's value that happens to read so: that costs only the
// offscreen platform (the fonts wait for the first character drawn).
bool asksForReceipts(int argc, char **argv);
// The application for a console program that may draw receipts: a
// QGuiApplication on the offscreen platform when the command line asks for
// them (it never shows a window, so it needs no display), else a
// QCoreApplication. argc must outlive it, as Qt asks.
std::unique_ptr<QCoreApplication> consoleApplication(int &argc, char **argv);

} // namespace CommonOptions
