#include "session/SharedWords.h"

namespace SharedWords {

QString cannotServe(const QString &why)
{
    return QStringLiteral("Cannot serve a point-of-sale program - ") + why;
}

QString stoppedWaiting(qsizetype bytes)
{
    return QStringLiteral("stopped with %1 bytes waiting, not printed").arg(bytes);
}

QString endOfInput(const QString &waiting)
{
    return QStringLiteral("end of input: ") + waiting;
}

} // namespace SharedWords
