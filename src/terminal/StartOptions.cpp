#include "terminal/StartOptions.h"

#include "session/CommonOptions.h"
#include "session/PassThrough.h"
#include "session/Session.h"
#include "session/SettingsStore.h"
#include "terminal/PassThroughWatch.h"
#include "terminal/frmTerminal.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

// Qt's window-system options that take a value; the rest are flags.
const QStringList kQtValueOptions{"platform", "platformpluginpath", "platformtheme", "plugin",
                                  "display", "style", "stylesheet", "geometry", "qwindowgeometry",
                                  "qwindowtitle", "qwindowicon", "session", "name", "title", "visual"};
const QStringList kQtFlags{"reverse", "nograb", "dograb", "sync", "widgetcount", "qmljsdebugger"};

QString checkPort(const QString &name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("--port needs a port name, such as ttyUSB0 or /dev/ttyUSB0");
    for (const QChar c : name)
        if (c.unicode() < 32)
            return QStringLiteral("--port: a port name has no control characters");
    return {};
}

} // namespace

StartOptions parseStartOptions(const QStringList &arguments)
{
    StartOptions result;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Marlix Terminal: sends commands, keys and demonstration scripts to a Marlix "
                       "receipt printer and shows its replies."));
    // "-platform offscreen" is one of Qt's options, not "-p -l -a ...".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption port(
        {QStringLiteral("p"), QStringLiteral("port")},
        QStringLiteral("Start with this port chosen, as Port > Settings would: a bare name (ttyUSB0) "
                       "means /dev/ttyUSB0, a full path is taken as it is (/dev/usb/lp0 is a USB printer), "
                       "tcp://HOST[:PORT] is a network printer (port 9100 when left out)."),
        QStringLiteral("NAME"));
    const QCommandLineOption baud = CommonOptions::baud(QStringLiteral("Start with this baud rate chosen."));
    const QCommandLineOption passThrough = CommonOptions::passThrough(
        QStringLiteral("Stand between a point-of-sale program and the printer on the chosen port, showing "
                       "everything that passes: LISTEN is a path at which a pseudo terminal is linked for the "
                       "program to open as its serial printer, or tcp://HOST:PORT for it to print to as a "
                       "network printer."));
    parser.addOptions({help, version, port, baud, passThrough});
    for (const QString &name : kQtValueOptions) {
        QCommandLineOption o(name, QString(), QStringLiteral("value"));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }
    for (const QString &name : kQtFlags) {
        QCommandLineOption o(name);
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }

    const QString program = arguments.isEmpty() ? QStringLiteral("rizeruzozo")
                                                : arguments.first().section(QLatin1Char('/'), -1);
    auto refuse = [&](const QString &reason) {
        result.exitCode = 2;
        result.error = program + QStringLiteral(": ") + reason;
        return result;
    };
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(help)) {
        result.exitCode = 0;
        result.output = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.exitCode = 0;
        result.output = QCoreApplication::applicationName() + QLatin1Char(' ')
            + QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().constFirst()));
    if (parser.isSet(port)) {
        const QString name = parser.value(port);
        if (const QString why = checkPort(name); !why.isEmpty())
            return refuse(why);
        result.port = name.trimmed();
    }
    if (parser.isSet(baud)) {
        const QString rate = parser.value(baud);
        qint64 checked = 0;
        if (const QString why = CommonOptions::readBaud(rate, &checked, CommonOptions::Wording::Window); !why.isEmpty())
            return refuse(why);
        result.baud = rate;
    }
    if (parser.isSet(passThrough)) {
        QString listen;
        if (const QString why = CommonOptions::readPassThrough(parser.value(passThrough), &listen,
                                                               CommonOptions::Wording::Window);
            !why.isEmpty())
            return refuse(why);
        result.passThrough = listen;
    }
    return result;
}

void applyStartOptions(frmTerminal &window, const StartOptions &options)
{
    LinkVariables &vars = window.session().link.vars;
    if (options.port) {
        vars.CommPort = *options.port;
        SettingsStore::rememberNetPort(vars.CommPort);
    }
    if (options.baud)
        vars.CommBaud = *options.baud;
    if (options.port || options.baud)
        window.DispPort();
    // Served on the port chosen above; a place that cannot be served on says why in the status line.
    if (options.passThrough || options.port || options.baud)
        window.servePassThrough(options.passThrough.value_or(window.passThrough().listen()));
}
