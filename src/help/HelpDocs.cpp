#include "help/HelpDocs.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace HelpDocs {

QStringList searchFolders(const QString &startDir)
{
    QStringList folders{startDir};
    // A package may be installed under another prefix than the build was
    // configured with, so the folder relative to the program comes first.
    const QString appDir = QCoreApplication::applicationDirPath();
    if (!appDir.isEmpty())
        folders << QDir::cleanPath(appDir + QStringLiteral("/" MARLIX_DOCDIR_FROM_BIN));
    const QString configured = QDir::cleanPath(QStringLiteral(MARLIX_DOCDIR));
    if (!folders.contains(configured))
        folders << configured;
    return folders;
}

QString findHelpDocument(const QStringList &folders, const QString &document)
{
    for (const QString &folder : folders) {
        if (folder.isEmpty())
            continue;
        const QFileInfo candidate(QDir(folder), document);
        if (candidate.isFile())
            return candidate.absoluteFilePath();
    }
    return {};
}

void openHelpDocument(const QString &startDir, const QString &document, QWidget *)
{
    const QString path = findHelpDocument(searchFolders(startDir), document);
    if (!path.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace HelpDocs
