#pragma once

#include "printer/interpreter/ReceiptInterpreter.h"
#include "printer/render/ReceiptRenderer.h"

#include <QString>
#include <QStringList>


// --receipts DIR: the paper the simulator (or marlix-run) prints, one PNG per receipt
// (DIR/receipt-NNN.png) written when the receipt is cut, and the open one at
// the end. Files already in the folder stay: numbering goes on after the
// highest receipt-NNN.png there.
// Beside each picture, DIR/receipt-NNN.txt: its text (ReceiptTextDump).
// --expect DIR: at finish() the run's receipts are checked against that
// baseline (ReceiptCheck), --update makes them the baseline instead, and
// --junit FILE reports the check for a CI server.
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

    // After open(): the run's receipts are numbered from 001 (a check
    // compares them by name), replacing earlier ones of those names; at
    // finish() they are compared with the baseline expectDir, or with update
    // copied into it. program names the JUnit suite. False with *error when
    // there is no baseline to compare with.
    bool setBaseline(const QString &expectDir, bool update, const QString &junitFile, const QString &program,
                     QString *error);
    // After finish(): receipts that differ from the baseline (missing and
    // extra ones too), and whether the check or the update could not be
    // written.
    int differing() const { return m_differing; }
    bool checkFailed() const { return m_checkFailed; }

private:
    void save(const Receipt &receipt);
    void check();

    QString m_dir;
    int m_next = 1;
    int m_unsaved = 0;
    ReceiptInterpreter m_interpreter;
    ReceiptRenderer m_renderer;
    QStringList m_saved; // receipt-NNN of this run
    QString m_expectDir;
    QString m_junitFile;
    QString m_program;
    bool m_update = false;
    int m_differing = 0;
    bool m_checkFailed = false;
    QStringList m_log;     // saved receipts
    QStringList m_decoded; // --decode: the entries and the notes between them
};

