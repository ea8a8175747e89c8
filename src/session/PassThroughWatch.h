#pragma once
// The station's side of the pass-through: it keeps the one PassThrough that
// serves a point-of-sale program on the chosen port, and shows what passes
// in the display and the traffic log, in the words it is given (the
// window's and marlix-run's alike: each run marked with its direction, sent
// bytes as commands are echoed, answers in the display mode, status replies
// in words).
#include "session/TrafficWords.h"

#include <QObject>
#include <QString>

#include <memory>

class PassThrough;
class Session;

class PassThroughWatch : public QObject {
    Q_OBJECT
public:
    PassThroughWatch(Session &session, TrafficWords &words, QObject *parent = nullptr);
    ~PassThroughWatch() override;

    // Serves on listen (a path for a pty, tcp://HOST:PORT), or stops for "".
    // Started again only when listen, the port or its line settings changed
    // since the last call. "" when serving (or off), else why not: then what
    // served before serves on, or, when nothing did, the text is kept all the
    // same, so the settings show what the operator chose.
    QString serve(const QString &listen);
    // While held, the program waits (PassThrough::setHeld).
    void setHeld(bool held);
    void stop();

    QString listen() const { return m_listen; }
    bool isServing() const { return m_pass != nullptr; }
    bool isConnected() const;
    // Who connected last ("127.0.0.1:53122", the link's path); kept after it left.
    QString lastPeer() const { return m_peer; }
    QString statusText() const;
    // The program's bytes wait for the printer, or the printer it writes to
    // has gone and is being opened again.
    bool holdsProgram() const;
    // What the status line says for a note of the port's (why it will not
    // open, "" once it did): while the program is held back, the
    // pass-through's words stay, as marlix-run prints them, and a printer
    // that will not open is said to be tried again.
    QString withPortNote(const QString &note) const;

signals:
    void connectedChanged(bool connected);
    void statusChanged(const QString &text);

private:
    Session &m_s;
    std::unique_ptr<PassThrough> m_pass;
    QString m_listen;
    QString m_servedPort;   // the port and line settings the pass-through was made with
    QString m_servedMode;
    long m_servedFlow = -1;
    TrafficWords &m_text;
    QString m_peer;
    bool m_held = false;
};
