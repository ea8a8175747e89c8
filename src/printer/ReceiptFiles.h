#pragma once

#include "printer/ReceiptInterpreter.h"
#include "printer/ReceiptRenderer.h"

#include <QString>
#include <QStringList>

#include <memory>

class QCoreApplication;

// --receipts DIR: the paper the simulator (or marlix-run) prints, one PNG per receipt
// (DIR/receipt-NNN.png) written when the receipt is cut, and the open one at
// the end. Files already in the folder stay: numbering goes on after the
// highest receipt-NNN.png there.
// --decode: each command and text run printed is logged in the words of
// PrinterCommands, with or without a folder.
class ReceiptFiles
{
public:
    ReceiptFiles();
    // Makes the folder when it is missing; false with *error when it cannot.
    // Without a folder nothing is saved.
    bool open(const QString &dir, QString *error);
    void setDecode(bool on);
    void setTwoByteEncoding(TwoByteCode code) { m_interpreter.setTwoByteEncoding(code); }

    // The paper: the printer prints on it.
    ReceiptInterpreter &interpreter() { return m_interpreter; }
    // The log lines since the last call ("receipt 1: 72 x 104.5 mm,
    // DIR/receipt-001.png", unknown commands once each, ...).
    QStringList takeNotes();
    // The end of the stream: the open receipt is saved as it stands.
    QStringList finish();
    // Receipts that could not be written (each said in the log).
    int unsaved() const { return m_unsaved; }

private:
    void save(const Receipt &receipt);

    QString m_dir;
    int m_next = 1;
    int m_unsaved = 0;
    ReceiptInterpreter m_interpreter;
    ReceiptRenderer m_renderer;
    QStringList m_log;     // saved receipts
    QStringList m_decoded; // --decode: the entries and the notes between them
};

// Whether a command line asks for --receipts or --decode, looked at before
// the application object exists: drawing needs a QGuiApplication. It may say
// yes for an option's value that happens to read so: that costs only fonts.
bool asksForReceipts(int argc, char **argv);
// The application for a console program that may draw receipts: a
// QGuiApplication on the offscreen platform when the command line asks for
// them (it never shows a window, so it needs no display), else a
// QCoreApplication. argc must outlive it, as Qt asks.
std::unique_ptr<QCoreApplication> consoleApplication(int &argc, char **argv);
