#include "support/MacroFakes.h"

void ReplyingPrinter::reply(const QByteArray &request, const QByteArray &response)
{
    m_rules.prepend({request, response});
}

long ReplyingPrinter::WriteData(const QByteArray &data, long count)
{
    const long ok = FakePrinter::WriteData(data, count);
    for (const auto &rule : m_rules) {
        if (written.endsWith(rule.first)) {
            input += rule.second;
            break;
        }
    }
    return ok;
}

void logPumpIntoCalls(FakePump &pump, FakePrinter &printer)
{
    pump.onServe = [&printer] { printer.calls << QStringLiteral("serveEvents()"); };
    pump.onSleep = [&printer](int ms) { printer.calls << QStringLiteral("sleepMs(%1)").arg(ms); };
}
