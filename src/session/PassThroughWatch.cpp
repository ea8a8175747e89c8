#include "session/PassThroughWatch.h"

#include "link/Link.h"
#include "link/POSPrinter.h"
#include "link/TerminalView.h"
#include "session/PassThrough.h"
#include "session/Session.h"

PassThroughWatch::PassThroughWatch(Session &session, TrafficWords &words, QObject *parent)
    : QObject(parent), m_s(session), m_text(words)
{
}

PassThroughWatch::~PassThroughWatch()
{
    stop();
}

void PassThroughWatch::setHeld(bool held)
{
    m_held = held;
    if (m_pass)
        m_pass->setHeld(held);
}

bool PassThroughWatch::isConnected() const
{
    return m_pass && m_pass->isConnected();
}

QString PassThroughWatch::statusText() const
{
    return m_pass ? m_pass->statusText() : QString();
}

bool PassThroughWatch::holdsProgram() const
{
    return m_pass && (m_pass->heldBytes() > 0 || (m_pass->isConnected() && m_s.port.LinkDown()));
}

QString PassThroughWatch::withPortNote(const QString &note) const
{
    if (!holdsProgram())
        return note;
    // The port opened again for another try says "": the hold goes on all the same.
    if (note.isEmpty())
        return m_pass->statusText();
    return note + (m_s.port.LinkDown() ? QStringLiteral(" - trying again; the point-of-sale program waits.")
                                       : QStringLiteral(" - the point-of-sale program waits."));
}

void PassThroughWatch::stop()
{
    if (!m_pass)
        return;
    const bool wasConnected = m_pass->isConnected();
    // Its signals end here: a disconnect while stopping is told once, below.
    m_pass->disconnect(this);
    m_pass->stop();
    m_pass.reset();
    if (wasConnected)
        emit connectedChanged(false);
}

QString PassThroughWatch::serve(const QString &listen)
{
    const LinkVariables &vars = m_s.link.vars;
    const QString port = vars.CommPort; // opened as every operation opens it
    const QString mode = buildPortMode(vars);
    if (m_pass && listen == m_listen && port == m_servedPort && mode == m_servedMode && vars.CommFlow == m_servedFlow)
        return {};
    const QString before = m_listen;
    const bool wasServing = m_pass != nullptr;
    stop();
    m_listen = listen;
    if (listen.isEmpty()) {
        emit statusChanged(QString());
        return {};
    }
    if (const QString why = PassThrough::checkListen(listen); !why.isEmpty())
        return why;

    auto pass = std::make_unique<PassThrough>(m_s.port, port, mode);
    pass->setFlowControl(vars.CommFlow);
    pass->setHeld(m_held);
    // Shown and logged without serving events: these come from the
    // pass-through's own handlers, which must not be entered again.
    connect(pass.get(), &PassThrough::toPrinter, this,
            [this](const QByteArray &bytes) { m_s.showWithoutServing(m_text.sent(bytes)); });
    connect(pass.get(), &PassThrough::fromPrinter, this, [this](const QByteArray &bytes) {
        m_s.showWithoutServing(m_text.answered(bytes, m_s.view.displayMode()));
    });
    connect(pass.get(), &PassThrough::unheardFromPrinter, this, [this](const QByteArray &bytes) {
        m_s.showWithoutServing(m_text.unheard(bytes, m_s.view.displayMode()));
    });
    connect(pass.get(), &PassThrough::clientConnected, this, [this](const QString &peer) {
        m_peer = peer;
        // The printer is the client's from here (the pass-through has opened
        // it): the window's idle close must not shut it under the client.
        m_s.link.ClosePending = false;
        m_text.reset();
        emit connectedChanged(true);
    });
    connect(pass.get(), &PassThrough::clientDisconnected, this, [this] { emit connectedChanged(false); });
    connect(pass.get(), &PassThrough::statusChanged, this, &PassThroughWatch::statusChanged);
    QString error;
    if (!pass->listen(listen, &error)) {
        // What served before goes on serving: a place that is taken loses nothing.
        if (wasServing) {
            m_listen.clear();
            serve(before);
        }
        return error.isEmpty() ? QStringLiteral("cannot serve on %1").arg(listen) : error;
    }
    m_servedPort = port;
    m_servedMode = mode;
    m_servedFlow = vars.CommFlow;
    m_pass = std::move(pass);
    emit statusChanged(m_pass->statusText());
    return {};
}
