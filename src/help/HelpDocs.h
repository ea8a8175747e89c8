#pragma once
#include <QString>
#include <QStringList>

class QWidget;

namespace HelpDocs {
// Where help documents are looked for, in order: the start-up folder, the
// documentation folder installed beside the running program, and the one
// the build was configured to install to.
QStringList searchFolders(const QString &startDir);

// The first folder that holds `document` as a file; "" when none does.
QString findHelpDocument(const QStringList &folders, const QString &document);

// Opens a help document ("MXDEMO.htm") with the desktop's default program.
// A document that is nowhere to be found, or that does not open, is not reported.
void openHelpDocument(const QString &startDir, const QString &document, QWidget *owner);
}
