#include "support/PrinterUnderTest.h"

#include "OperatorWords.h"
#include "SimOptions.h"
#include "printer/device/VirtualPrinter.h"
#include "session/Session.h"
#include "terminal/frmTerminal.h"

const char *PrinterUnderTest::name(Face face)
{
    return face == Simulator ? "simulator" : "built in";
}

void addFaceColumn()
{
    QTest::addColumn<int>("face");
}

QTestData &addFaceRow(PrinterUnderTest::Face face, const char *name)
{
    return QTest::addRow("%s: %s", PrinterUnderTest::name(face), name) << int(face);
}

PrinterUnderTest::PrinterUnderTest(Face face, const QStringList &simArgs) : m_face(face), m_simArgs(simArgs) {}

PrinterUnderTest::~PrinterUnderTest()
{
    m_window.reset();
    m_sim.reset();
}

bool PrinterUnderTest::start()
{
    QString port = QStringLiteral("virtual");
    if (m_face == Simulator) {
        m_sim = std::make_unique<SimProcess>(m_simArgs, false); // its log says when an action is done
        if (!m_sim->start()) {
            m_error = m_sim->error();
            return false;
        }
        port = m_sim->port();
    }
    m_window = std::make_unique<frmTerminal>(nullptr, &m_op, nullptr);
    m_window->show();
    m_window->session().link.vars.CommPort = port;
    m_window->session().link.vars.CommFlow = 0;
    if (m_face == Simulator)
        return true;

    // The settings the simulator's main() gives its printer, from the same options.
    const SimCommandLine line = parseSimCommandLine(QStringList{QStringLiteral("marlix-printer-sim")} + m_simArgs);
    const SimOptions &options = line.options;
    if (line.outcome != SimCommandLine::Run) {
        m_error = QStringLiteral("bad simulator options: ") + m_simArgs.join(QLatin1Char(' '));
        return false;
    }
    VirtualPrinter *printer = m_window->ensureBuiltInPrinter();
    if (!printer) {
        m_error = QStringLiteral("the window has no built-in printer");
        return false;
    }
    printer->macros().setIdentity(options.identity);
    for (const auto &[request, response] : options.replies)
        printer->macros().addReplyRule(request, response);
    printer->setRoll(options.paperLengthMm, options.nearEndMm);
    printer->setDrawerClosesAfter(options.drawerClosesMs);
    QObject::connect(printer, &VirtualPrinter::noted, printer, [this](const QString &line) { m_log.append(line); });
    return true;
}

bool PrinterUnderTest::act(const QString &line)
{
    if (m_sim)
        return m_sim->act(line);
    VirtualPrinter *printer = m_window->ensureBuiltInPrinter();
    QString said;
    if (!printer || !OperatorWords::act(*printer, line, &said))
        return false;
    if (!said.isEmpty())
        m_log.append(said);
    return true;
}

QString PrinterUnderTest::log()
{
    if (m_sim)
        return m_sim->log();
    return m_log.isEmpty() ? QString() : m_log.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
