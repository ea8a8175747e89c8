#include "printer/render/ReceiptJUnit.h"

#include <QSaveFile>
#include <QXmlStreamWriter>

bool ReceiptJUnit::write(const QString &file, const QString &suite, const QList<ReceiptComparison> &results, QString *error)
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        *error = out.errorString();
        return false;
    }
    const auto failures = std::count_if(results.begin(), results.end(), [](const ReceiptComparison &r) { return r.differs(); });
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("testsuites"));
    xml.writeStartElement(QStringLiteral("testsuite"));
    xml.writeAttribute(QStringLiteral("name"), suite + QStringLiteral(" receipts"));
    xml.writeAttribute(QStringLiteral("tests"), QString::number(results.size()));
    xml.writeAttribute(QStringLiteral("failures"), QString::number(failures));
    xml.writeAttribute(QStringLiteral("errors"), QStringLiteral("0"));
    for (const ReceiptComparison &result : results) {
        xml.writeStartElement(QStringLiteral("testcase"));
        xml.writeAttribute(QStringLiteral("classname"), suite + QStringLiteral(".receipts"));
        xml.writeAttribute(QStringLiteral("name"), result.name);
        if (result.differs()) {
            xml.writeStartElement(QStringLiteral("failure"));
            xml.writeAttribute(QStringLiteral("message"), result.report);
            QString text = result.report;
            if (!result.diffImage.isEmpty())
                text += QStringLiteral("\ndiff image: ") + result.diffImage;
            xml.writeCharacters(text);
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    if (xml.hasError() || !out.commit()) {
        *error = out.errorString();
        return false;
    }
    return true;
}
