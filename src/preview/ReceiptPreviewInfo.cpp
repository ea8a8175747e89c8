// The Receipt Preview's info line, its tool tip and the paper's accessible
// description: what was printed, and what keeps the printer from printing.
#include "preview/ReceiptPreview.h"

#include "printer/interpreter/ReceiptInterpreter.h"
#include "printer/device/VirtualPrinter.h"
#include "session/PaperFeed.h"

#include <QLabel>
#include <QPushButton>

namespace {
QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString counted(int count, const QString &one, const QString &many)
{
    return count == 1 ? QStringLiteral("1 ") + one : QStringLiteral("%1 ").arg(count) + many;
}

} // namespace

QString ReceiptPreview::infoText() const
{
    const int total = printedPaper().finishedTotal() + (Paper->hasOpenReceipt() ? 1 : 0);
    QString text = counted(total, QStringLiteral("receipt"), QStringLiteral("receipts"));
    if (Paper->receiptCount() < total)
        text += QStringLiteral(" (the last %1 kept)").arg(Paper->receiptCount());
    if (const int shown = receiptInView(); shown >= 0)
        text += QStringLiteral(", receipt %1 shown").arg(Paper->receipt(shown).number);
    const double openMm = Paper->hasOpenReceipt() ? Paper->receipt(Paper->receiptCount() - 1).lengthMm() : 0.0;
    text += QStringLiteral(", open receipt %1 mm").arg(QString::number(openMm, 'f', 1));
    const qsizetype unknown = printedPaper().unknownCommands().size();
    text += unknown == 0 ? QStringLiteral(", no unknown commands")
                         : QStringLiteral(", ") + counted(int(unknown), QStringLiteral("unknown command"),
                                                          QStringLiteral("unknown commands"));
    // What keeps the paper blank, said where the operator looks.
    if (const QString waiting = printedPaper().waitingWords(); !waiting.isEmpty())
        text += QStringLiteral(", ") + waiting;
    if (!printedPaper().cutAtEdge().isEmpty())
        text += QStringLiteral(", ") + printedPaper().cutAtEdge().last();
    // The built-in printer keeps what it cannot print yet.
    if (m_printer && m_printer->state().waiting > 0 && !m_printer->state().online())
        text += QStringLiteral(", %1 waiting: the printer is %2")
                    .arg(counted(int(m_printer->state().waiting), QStringLiteral("byte"), QStringLiteral("bytes")),
                         PrinterStatus::onlineText(m_printer->state()));
    if (m_dropped > 0 && printedPaper().revision() == m_droppedAt)
        text += QStringLiteral(", ") + counted(int(m_dropped), QStringLiteral("waiting byte"), QStringLiteral("waiting bytes"))
            + QStringLiteral(" dropped");
    return text;
}

QString ReceiptPreview::paperDescription() const
{
    const int total = printedPaper().finishedTotal() + (Paper->hasOpenReceipt() ? 1 : 0);
    const double openMm = Paper->hasOpenReceipt() ? Paper->receipt(Paper->receiptCount() - 1).lengthMm() : 0.0;
    return counted(total, QStringLiteral("receipt"), QStringLiteral("receipts"))
        + QStringLiteral(", the open receipt %1 mm long").arg(QString::number(openMm, 'f', 1));
}

void ReceiptPreview::updateInfo()
{
    const QString text = infoText();
    if (PreviewInfo->text() != text) {
        PreviewInfo->setText(text);
        PreviewInfo->setAccessibleDescription(text);
    }
    QString tip;
    if (printedPaper().unknownCommands().isEmpty()) {
        tip = QStringLiteral("Every command sent so far is drawn.");
    } else {
        tip = QStringLiteral("Commands that print nothing here (the printer may know them):");
        for (const UnknownCommand &command : printedPaper().unknownCommands())
            tip += QStringLiteral("\n%1: %2, first at byte %3")
                       .arg(hex(command.bytes), counted(command.count, QStringLiteral("time"), QStringLiteral("times")))
                       .arg(command.first.begin);
    }
    if (const QString waiting = printedPaper().waitingWords(); !waiting.isEmpty())
        tip += QStringLiteral("\n\n%1: nothing prints until they have come (Reset Printer drops the command).").arg(waiting);
    if (!printedPaper().cutAtEdge().isEmpty())
        tip += QStringLiteral("\n\nSymbols and images wider than the paper, cut at its edge:\n") + printedPaper().cutAtEdge().join(QLatin1Char('\n'));
    PreviewInfo->setToolTip(tip);
    const QString description = paperDescription();
    if (Paper->accessibleDescription() != description)
        Paper->setAccessibleDescription(description);
    SaveButton->setEnabled(receiptInView() >= 0);
}
