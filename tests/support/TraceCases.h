#pragma once
// Command trace cases of the families client libraries send (graphics, 2D
// symbols, page mode, positions, beeps): a stream and its entries as
// tst_command_trace describes them, "range name | meaning @receipt:x,y WxH".
#include <QByteArray>
#include <QList>
#include <QStringList>

struct TraceCase
{
    const char *name;
    QByteArray stream;
    QStringList expected;
};

QList<TraceCase> familyTraceCases();
