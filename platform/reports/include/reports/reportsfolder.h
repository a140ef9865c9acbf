#pragma once
// Where the layout files live: the reports/ folder beside the component.

#include <QString>

namespace corvane {

// CORVANE_REPORTS_DIR when set; otherwise the first of these that holds layout files: reports/
// beside the library or program that contains the engine, ../reports from there, ../reports from
// the running program, and last the reports folder of the build tree.
QString reportsFolder();

// The layout file a caller names: "\LabPrint_APTT.RPT" (the form the screens use, taken from the
// reports folder), a bare file name, or a path in either slash style. The file name is matched
// without regard to case, since hospitals' layouts mix ".RPT" and ".rpt". Throws ReportError
// when there is no such file.
QString resolveLayoutPath(const QString &fileName);

} // namespace corvane
