#pragma once
// The printer an end-to-end table runs against, the same rows on each face:
// the simulator over its pty (the operator's actions on its standard input)
// or the program's built-in printer, port "virtual" (the actions on the
// device itself). Both get their settings from the simulator's command line,
// and each comes with the window on it: the real port and event pump.
#include "support/Fakes.h"
#include "support/SimProcess.h"

#include <QStringList>
#include <QtTest>

#include <memory>

class frmTerminal;

class PrinterUnderTest {
public:
    enum Face { Simulator, BuiltIn };
    static constexpr Face kFaces[] = {Simulator, BuiltIn};
    // The row name's prefix: "simulator" or "built in".
    static const char *name(Face face);

    // simArgs: the simulator's options (--reply, --paper-length, ...).
    PrinterUnderTest(Face face, const QStringList &simArgs = {});
    ~PrinterUnderTest();

    // Starts the printer and opens the window on it; false with error().
    bool start();
    QString error() const { return m_error; }
    Face face() const { return m_face; }

    frmTerminal &window() { return *m_window; }
    FakeOperator &op() { return m_op; }
    // One operator action ("cover open"); done when it returns.
    bool act(const QString &line);
    // What the printer logged so far: its actions, paper running out, ...
    QString log();

private:
    Face m_face;
    QStringList m_simArgs;
    std::unique_ptr<SimProcess> m_sim;
    FakeOperator m_op;
    std::unique_ptr<frmTerminal> m_window;
    QStringList m_log; // the built-in printer's
    QString m_error;
};

// Adds the "face" column: a table's rows are added once for each face, each
// with addFaceRow ("simulator: cover open", "built in: cover open").
void addFaceColumn();
QTestData &addFaceRow(PrinterUnderTest::Face face, const char *name);
// Starts the printer of the row's face or skips the test (QSKIP must return
// from the test function itself).
#define START_PRINTER_OR_SKIP(printer)                                                               \
    do {                                                                                             \
        if (!(printer).start())                                                                      \
            QSKIP(qPrintable(QStringLiteral("no printer to talk to: ") + (printer).error()));        \
    } while (false)
