#include "help/HelpDocs.h"

namespace HelpDocs {
void openHelpDocument(const QString &, const QString &, QWidget *) {}
}
