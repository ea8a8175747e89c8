#pragma once
#include <QString>

class QWidget;

namespace HelpDocs {
// Opens a help document ("MXDEMO.htm") with the desktop's default program.
void openHelpDocument(const QString &startDir, const QString &document, QWidget *owner);
}
