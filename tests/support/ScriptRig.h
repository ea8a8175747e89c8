#pragma once
// A script interpreter wired to the fakes, with a temporary folder for script
// files and one event list in which port calls, sleeps and pause-window steps
// appear in the order they happened.
#include "support/Fakes.h"

#include "scripts/PauseView.h"
#include "scripts/ScriptInterpreter.h"
#include "session/Session.h"

#include <QStringList>
#include <QTemporaryDir>

class FakePause : public PauseView {
public:
    explicit FakePause(QStringList &events) : m_events(events) {}
    void showPause() override { m_events << QStringLiteral("show"); ++shown; }
    void setCount(int seconds) override { m_events << QStringLiteral("count(%1)").arg(seconds); }
    void hidePause() override { m_events << QStringLiteral("hide"); }
    int shown = 0;

private:
    QStringList &m_events;
};

// Port calls also go to the shared event list.
class RigPrinter : public FakePrinter {
public:
    explicit RigPrinter(QStringList &events) : m_events(events) {}
    void OpenPort(const QString &portName, const QString &portMode) override;
    void ClosePort() override;
    long WriteData(const QByteArray &data, long count) override;
    void SetBreak(long code, const QString &text) override;

private:
    QStringList &m_events;
};

struct ScriptRig {
    ScriptRig();

    // Writes a file (folders are made) and returns its full name.
    QString write(const QString &relativeName, const QByteArray &bytes);
    // Writes the file, puts its name (or `box`) in the script file box and runs it.
    bool run(const QString &relativeName, const QByteArray &bytes, const QString &box = QString());
    QString path(const QString &relativeName) const { return dir.filePath(relativeName); }

    // The offered writes as hex ("1B 40").
    QStringList offeredHex() const;
    // events: only those that begin with one of the prefixes.
    QStringList eventsOf(const QStringList &prefixes) const;

    QTemporaryDir dir;
    QStringList events; // "WriteData(n)", "SetBreak(1,)", "sleep(100)", "show", "count(3)", "hide", "serve"
    RigPrinter printer{events};
    FakeOperator op;
    FakePump pump;
    FakeView view;
    FakePause pause{events};
    Session session{printer, op, pump, view};
    int getResponses = 0;
    ScriptInterpreter in{session, pause, [this] {
                             ++getResponses;
                             events << QStringLiteral("GetResponse");
                         }};
};
