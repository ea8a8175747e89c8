#include "terminal/QtOperator.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>

Msg::Answer QtOperator::message(const QString &text, Msg::Buttons buttons, Msg::Icon icon,
                                const QString &caption)
{
    return ask(text, buttons, icon, caption, Qt::ApplicationModal);
}

Msg::Answer QtOperator::printerMessage(const QString &text, Msg::Buttons buttons)
{
    return ask(text, buttons, Msg::Icon::None, kAppTitle, m_owner ? Qt::WindowModal : Qt::ApplicationModal);
}

Msg::Answer QtOperator::ask(const QString &text, Msg::Buttons buttons, Msg::Icon icon, const QString &caption,
                            Qt::WindowModality modality)
{
    QMessageBox box(m_owner);
    box.setWindowModality(modality);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case Msg::Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Msg::Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case Msg::Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Msg::Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Msg::Icon::Information: box.setIcon(QMessageBox::Information); break;
    }
    switch (buttons) {
    case Msg::Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Msg::Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case Msg::Buttons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case Msg::Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return Msg::Answer::Ok;
    case QMessageBox::Retry: return Msg::Answer::Retry;
    case QMessageBox::Yes: return Msg::Answer::Yes;
    case QMessageBox::No: return Msg::Answer::No;
    default:
        // Closing a box that offers only OK still means OK.
        return buttons == Msg::Buttons::Ok ? Msg::Answer::Ok : Msg::Answer::Cancel;
    }
}

QStringList QtOperator::toQtFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString label = parts.at(i);
        // Qt reads the patterns from the label's parentheses; give it ours.
        const qsizetype open = label.indexOf(QLatin1Char('('));
        if (open >= 0)
            label = label.left(open).trimmed();
        result << (label.isEmpty() ? QString() : label + QLatin1Char(' ')) + QLatin1Char('(')
                + patterns + QLatin1Char(')');
    }
    return result;
}

std::optional<FileChoice> QtOperator::openFile(const FileDialogRequest &request)
{
    QFileDialog dialog(m_owner, request.title);
    dialog.setNameFilters(toQtFilters(request.filter));
    dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setAcceptMode(request.saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (request.saving) {
        // The caller asks before replacing (with its own words); a name typed
        // without an extension takes the one of the chosen filter.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &filter) {
            const qsizetype star = filter.indexOf(QLatin1String("*."));
            if (star >= 0) {
                const QString suffix = filter.mid(star + 2).section(QRegularExpression(QStringLiteral("[ );]")), 0, 0);
                if (!suffix.isEmpty() && suffix != QLatin1String("*"))
                    dialog.setDefaultSuffix(suffix);
            }
        });
    }
    if (!request.defaultExtension.isEmpty())
        dialog.setDefaultSuffix(request.defaultExtension);
    if (!request.startFile.isEmpty()) {
        const QFileInfo start(request.startFile);
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString name = dialog.selectedFiles().constFirst();
    return FileChoice{name, QFileInfo(name).fileName()};
}
