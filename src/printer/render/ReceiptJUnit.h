#pragma once

#include "printer/render/ReceiptCheck.h"

#include <QString>

// --junit FILE: the check against the baseline as a JUnit XML report, the
// form CI servers show test results in: one test case per receipt, a
// difference as its failure (the line said about it, and the diff image).
namespace ReceiptJUnit {
// suite: the program ("marlix-run"), the test cases' class name. False with
// *error (the system's words) when the file cannot be written.
bool write(const QString &file, const QString &suite, const QList<ReceiptComparison> &results, QString *error);
}
