#pragma once
// The traffic log: every display text, as the same bytes, appended to a file.
// Each text goes to the kernel as soon as the display shows it (no buffer of
// our own), so a crash of the program loses nothing that was shown.
#include "session/Session.h"

#include <QString>

class TrafficLog final : public LogSink {
public:
    static inline const QString kDialogTitle = QStringLiteral("Open Communications Log File");
    static inline const QString kDialogFilter = QStringLiteral("Log Files (*.LOG)|*.log|All Files (*.*)|*.*");
    static inline const QString kClosedCaption = QStringLiteral("Marlix 2100");

    explicit TrafficLog(Session &session);
    ~TrafficLog() override;
    TrafficLog(const TrafficLog &) = delete;
    TrafficLog &operator=(const TrafficLog &) = delete;

    void MOpenLog_Click();
    void MCloseLog_Click();
    // Opens the named file for appending, without the dialog and its
    // questions; "" on success, otherwise the error's description.
    QString openForAppend(const QString &fileName);
    bool isOpen() const override { return LogFileNum >= 0; }
    void WriteLog(const QByteArray &text) override;

    // Descriptor of the open log, -1 when none is open.
    int LogFileNum = -1;
    // Full name of the log file last chosen.
    QString LogFileName;

private:
    // Why the given path cannot be examined; empty when it can. Sets `exists`.
    static QString examine(const QString &path, bool &exists);
    void reportError(const QString &description);

    Session &m_s;
};
