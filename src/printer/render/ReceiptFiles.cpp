#include "printer/render/ReceiptFiles.h"

#include "printer/commands/PrinterCommands.h"
#include "printer/render/ReceiptCheck.h"
#include "printer/render/ReceiptJUnit.h"
#include "printer/render/ReceiptTextDump.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <filesystem>

ReceiptFiles::ReceiptFiles()
{
    m_interpreter.setRetainLimit(0);
    m_interpreter.setReceiptHandler([this](const Receipt &receipt) { save(receipt); });
}

void ReceiptFiles::setDecode(bool on)
{
    if (!on) {
        m_interpreter.setTraceEnabled(false);
        return;
    }
    // Each entry is logged as it is made, none needs keeping: after what the
    // interpreter noted on the way, before the receipt a cut saved.
    m_interpreter.setTraceBudget(0);
    m_interpreter.setTraceHandler([this](const TraceEntry &entry) {
        m_decoded += m_interpreter.takeNotes();
        m_decoded.append(PrinterCommands::logLine(entry));
        m_decoded += m_log;
        m_log.clear();
    });
}

bool ReceiptFiles::open(const QString &dir, QString *error)
{
    QDir folder(dir);
    std::error_code failure;
    std::filesystem::create_directories(QFile::encodeName(dir).toStdString(), failure);
    if (failure || !folder.exists()) {
        // The system's reason, in its words: "Not a directory", "Permission denied".
        const QString reason = failure ? QString::fromLocal8Bit(failure.message().c_str()) : QString::fromLocal8Bit(std::strerror(ENOTDIR));
        *error = QStringLiteral("--receipts %1: cannot create the folder: %2").arg(dir, reason);
        return false;
    }
    m_dir = folder.path();
    static const QRegularExpression name(QStringLiteral("^receipt-(\\d+)\\.png$"));
    for (const QString &file : folder.entryList({QStringLiteral("receipt-*.png")}, QDir::Files)) {
        const QRegularExpressionMatch match = name.match(file);
        if (match.hasMatch())
            m_next = std::max(m_next, match.captured(1).toInt() + 1);
    }
    return true;
}

void ReceiptFiles::save(const Receipt &receipt)
{
    if (m_dir.isEmpty())
        return;
    // The end of the stream with paper fed and nothing printed since the
    // last cut: blank paper still in the printer is no receipt.
    if (receipt.cut == CutKind::None && receipt.lines.isEmpty()) {
        m_log.append(receipt.number > 1 ? QStringLiteral("nothing printed after the last cut")
                                        : QStringLiteral("nothing printed"));
        return;
    }
    const int number = m_next++;
    const QString name = QStringLiteral("receipt-%1").arg(number, 3, 10, QLatin1Char('0'));
    const QString file = QStringLiteral("%1/%2.png").arg(m_dir, name);
    QString error;
    const bool saved = m_renderer.savePng(receipt, file, &error);
    m_log += m_renderer.takeNotes(); // characters it had no glyph for
    if (!saved) {
        ++m_unsaved;
        m_log.append(QStringLiteral("receipt %1: cannot write %2: %3").arg(number).arg(file, error));
        return;
    }
    const QString textFile = QStringLiteral("%1/%2.txt").arg(m_dir, name);
    QFile text(textFile);
    if (!text.open(QIODevice::WriteOnly | QIODevice::Truncate) || text.write(ReceiptTextDump::file(receipt)) < 0
        || !text.flush()) {
        ++m_unsaved;
        m_log.append(QStringLiteral("receipt %1: cannot write %2: %3").arg(number).arg(textFile, text.errorString()));
    }
    m_saved.append(name);
    QString line = QStringLiteral("receipt %1: %2 x %3 mm, %4")
                       .arg(number)
                       .arg(receipt.widthDots / Paper::kDotsPerMm)
                       .arg(QString::number(receipt.lengthMm(), 'f', 1), file);
    if (receipt.cut == CutKind::Automatic)
        line += QStringLiteral(" (cut by the printer)");
    else if (receipt.cut == CutKind::None)
        line += QStringLiteral(" (not cut)");
    m_log.append(line);
}

bool ReceiptFiles::setBaseline(const QString &expectDir, bool update, const QString &junitFile, const QString &program,
                               QString *error)
{
    if (!update && !QFileInfo(expectDir).isDir()) {
        *error = QStringLiteral("--expect %1: no such folder (--update makes it from this run's receipts)").arg(expectDir);
        return false;
    }
    m_expectDir = expectDir;
    m_update = update;
    m_junitFile = junitFile;
    m_program = program;
    m_next = 1;
    return true;
}

void ReceiptFiles::check()
{
    if (m_expectDir.isEmpty() || m_dir.isEmpty())
        return;
    if (m_update && m_unsaved > 0) {
        // A baseline made of a run that lost receipts would lose them too.
        m_log.append(QStringLiteral("--update: the baseline %1 is left as it was: %2 could not be saved")
                         .arg(m_expectDir, ReceiptCheck::count(m_unsaved)));
        m_checkFailed = true;
        return;
    }
    if (m_update) {
        m_checkFailed = !ReceiptCheck::update(m_dir, m_saved, m_expectDir, &m_log);
        return;
    }
    const QList<ReceiptComparison> results = ReceiptCheck::compare(m_dir, m_saved, m_expectDir);
    for (const ReceiptComparison &result : results) {
        if (!result.differs())
            continue;
        ++m_differing;
        m_log.append(result.report);
    }
    if (m_differing == 0)
        m_log.append(QStringLiteral("%1 checked: all as in the baseline %2").arg(ReceiptCheck::count(results.size()), m_expectDir));
    QString error;
    if (!m_junitFile.isEmpty() && !ReceiptJUnit::write(m_junitFile, m_program, results, &error)) {
        m_log.append(QStringLiteral("--junit %1: cannot write: %2").arg(m_junitFile, error));
        m_checkFailed = true;
    }
}

QStringList ReceiptFiles::finish()
{
    m_interpreter.finish();
    check();
    return takeNotes();
}

QStringList ReceiptFiles::takeNotes()
{
    QStringList log;
    log.swap(m_decoded);
    log += m_interpreter.takeNotes();
    log += m_log;
    m_log.clear();
    return log;
}
