#pragma once

#include "printer/paper/Receipt.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

struct SimOptions
{
    QString linkPath;
    int tcpPort = -1; // --tcp: also serve this TCP port (0: any free one); -1: the pty alone
    QString recordPath;
    QString receiptsDir;
    QString expectDir;   // --expect: checked against this baseline when it stops
    bool update = false; // --update: the receipts become the baseline instead
    QString junitFile;   // --junit: the check as a JUnit report
    bool decode = false;
    TwoByteCode cjk = TwoByteCode::Gb18030; // --cjk: the model's two-byte encoding
    QList<QPair<QByteArray, QByteArray>> replies; // in the order given
    QByteArray identity;
    bool busy = false;
    int replyDelayMs = 0;
    bool quiet = false;
    qint64 paperLengthMm = 80000; // the roll
    int paperWidthDots = Paper::kWidthDots; // --paper: the printable width of 80 or 58 mm paper
    qint64 nearEndMm = 5000;      // near end below this much left
    int drawerClosesMs = 0;       // an open drawer closes by itself after this; 0: it stays open
};

// Hex without blanks ("1B40"); false on odd length or a non-hex character.
bool parseHex(const QString &text, QByteArray *bytes);

// Whether the command line asks for receipts or their decoding, looked at
// before the application object exists (drawing needs a QGuiApplication).
bool wantsReceipts(int argc, char **argv);

struct SimCommandLine
{
    enum Outcome { Run, Help, Version, Error };
    Outcome outcome = Error;
    SimOptions options; // for Run
    QString text;       // Help: the help text; Version: the version line; Error: what is wrong
};

// `arguments` as QCoreApplication gives them, the program first. Prints
// nothing: main says what the outcome says (CommandLineChecks::stopWithoutRunning).
SimCommandLine parseSimCommandLine(const QStringList &arguments);
