#pragma once
// A fake printer that answers requests the way the macro tests need: when the
// bytes written so far end with a request, its reply becomes waiting input.
#include "support/Fakes.h"

#include <QByteArray>
#include <QList>
#include <QPair>

class ReplyingPrinter : public FakePrinter {
public:
    // Later rules for the same request win.
    void reply(const QByteArray &request, const QByteArray &response);
    long WriteData(const QByteArray &data, long count) override;

private:
    QList<QPair<QByteArray, QByteArray>> m_rules;
};

// Puts every serveEvents and sleepMs of the pump into the printer's call list,
// so that one list shows the order of port calls, waits and event serving.
void logPumpIntoCalls(FakePump &pump, FakePrinter &printer);
