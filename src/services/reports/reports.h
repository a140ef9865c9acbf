#pragma once
// Printing a result: open a layout file, point its tables at the laboratory server with the
// current login, pass the screen's parameter values, then preview or print it.

#include <reports/reportdocument.h>

#include <QString>
#include <QStringList>

#include <memory>

namespace corvane {

// What the report routines take from the session.
struct ReportLogin {
    QString hospitalCompany; // the report's title
    QString server;          // DbServer
    QString user;            // DbUser
    QString password;        // DbPassword
};

// The report kept open between OpenReport and ShowReport (the session's CurrentReport).
using CurrentReport = std::shared_ptr<ReportDocument>;

// Releases the open report, opens fileName (resolveLayoutPath), sets the title, moves every table
// to databaseName and logs it on, and gives the parameters to the parameter fields in order. On
// failure the error (ReportError) reaches the caller and no report stays open.
void OpenReport(CurrentReport &current, const ReportLogin &login, const QString &fileName,
                const QString &databaseName, const QStringList &parameters);

// The same steps for the named subreport of the open report.
void OpenSubreport(CurrentReport &current, const ReportLogin &login, const QString &name,
                   const QString &databaseName, const QStringList &parameters);

// Previews the open report in frmReportViewer with the caption title, or prints it on the default
// printer without a prompt; either way the report is released afterwards. The preview has no
// group tree, whatever showGroupTree says. Direct printing on a machine without a printer is a
// ReportError. CORVANE_PRINTER_PDF=file makes "the default printer" that PDF file, for unattended
// runs.
void ShowReport(CurrentReport &current, bool showGroupTree, const QString &title, bool directPrint);

} // namespace corvane
