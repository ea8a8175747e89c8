#pragma once
// marlix-run --receipts DIR and --decode: the paper of the run, as the
// simulator keeps it. With the built-in printer (port "virtual") the printer
// prints on it; with any other port it takes the bytes the port took (its
// write tap), so that a point-of-sale developer sees what a printer would
// print of the run. Its lines (receipts saved, the decode log, notes) go to
// `say` as they come.
#include "printer/render/ReceiptFiles.h"

#include <QString>
#include <functional>

class AnyPOSPrinter;

class RunReceipts {
public:
    explicit RunReceipts(std::function<void(const QString &)> say);
    RunReceipts(const RunReceipts &) = delete;
    RunReceipts &operator=(const RunReceipts &) = delete;

    // dir "" saves nothing (--decode alone). False with *error when the
    // folder cannot be made.
    bool open(const QString &dir, bool decode, QString *error);
    // Before the port opens: the built-in printer prints on this paper, the
    // other links hand it what they took.
    void attach(AnyPOSPrinter &port);
    // The end of the run: the open receipt is saved as it stands.
    void finish();
    // Receipts that could not be written so far.
    int unsaved() const { return m_files.unsaved(); }
    // --expect, --update, --junit (ReceiptFiles::setBaseline), after open().
    bool setBaseline(const QString &expectDir, bool update, const QString &junitFile, QString *error)
    {
        return m_files.setBaseline(expectDir, update, junitFile, QStringLiteral("marlix-run"), error);
    }
    // After finish(): receipts that differ from the baseline; whether the
    // check or the update could not be written.
    int differing() const { return m_files.differing(); }
    bool checkFailed() const { return m_files.checkFailed(); }
    void setTwoByteEncoding(TwoByteCode code) { m_files.setTwoByteEncoding(code); }
    void setPaperWidth(int dots) { m_files.interpreter().setPaperWidth(dots); }
    // A command on the paper still waiting for its data ("GS v 0 waiting
    // for 31 more bytes"), "" when none.
    QString waitingWords() { return m_files.interpreter().waitingWords(); }

private:
    void flush();

    std::function<void(const QString &)> m_say;
    ReceiptFiles m_files;
    AnyPOSPrinter *m_port = nullptr;
};
