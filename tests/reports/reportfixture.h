#pragma once
// Shared by the report tests: a demo laboratory with results to print, and the PDF's text as
// poppler reads it.

#include "support/dbfixture.h"
#include "support/qstringprint.h"

#include <reports/reportdocument.h>

#include <QString>
#include <QTemporaryDir>

namespace reporttest {

// The demo database with the APTT request R2603001 saved, signed and verified; the blood-gas
// request R2603010 saved and signed by its med tech only.
void seedResults(const testsupport::TempDatabase &db);

corvane::LogOnInfo logOnFor(const testsupport::TempDatabase &db);

// pdftotext -layout of the pages (1-based, 0 = all), line by line with every run of blanks made one
// blank and empty lines left out, so that a table row reads as "Fibrinogen <150 mg/dL".
QString pdfText(const QString &pdf, int page = 0);
// A line of pdfinfo: "Page size" gives "595.276 x 841.89 pts (A4)", "Pages" the page count.
QString pdfInfo(const QString &pdf, const QString &key);

// The layout text in a file of its own in dir; returns its path.
QString writeLayout(const QTemporaryDir &dir, const QString &name, const QString &text);

} // namespace reporttest
