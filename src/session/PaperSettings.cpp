#include "session/PaperSettings.h"

#include "printer/characters/Characters.h"
#include "printer/interpreter/ReceiptInterpreter.h"
#include "session/SettingsStore.h"

namespace {
const QString kCjkKey = QStringLiteral("PreviewCjk");
const QString kPaperKey = QStringLiteral("PreviewPaper");
} // namespace

namespace PaperSettings {

TwoByteCode encoding()
{
    const QString stored = SettingsStore::loadText(kCjkKey, QString());
    return Characters::encodingFromName(stored).value_or(TwoByteCode::Gb18030);
}

void saveEncoding(TwoByteCode code)
{
    SettingsStore::saveText(kCjkKey, Characters::encodingKey(code));
}

int widthDots()
{
    const int dots = Paper::widthForRoll(SettingsStore::loadText(kPaperKey, QString()).toInt());
    return dots > 0 ? dots : Paper::kWidthDots;
}

void saveWidthDots(int dots)
{
    SettingsStore::saveText(kPaperKey, QString::number(Paper::rollWidthMm(dots)));
}

void apply(ReceiptInterpreter &paper)
{
    paper.setTwoByteEncoding(encoding());
    paper.setPaperWidth(widthDots());
}

} // namespace PaperSettings
