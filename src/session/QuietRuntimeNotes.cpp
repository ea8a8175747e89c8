#include "session/QuietRuntimeNotes.h"

#include <QString>
#include <QtGlobal>

namespace {
QtMessageHandler g_next = nullptr;

bool aboutTheRuntimeFolder(const QString &message)
{
    return message.startsWith(QLatin1String("QStandardPaths: "))
        && (message.contains(QLatin1String("XDG_RUNTIME_DIR")) || message.contains(QLatin1String("runtime directory")));
}

void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && aboutTheRuntimeFolder(message))
        return;
    g_next(type, context, message);
}
} // namespace

void quietRuntimeFolderNotes()
{
    if (!g_next)
        g_next = qInstallMessageHandler(handle);
}
