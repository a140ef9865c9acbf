#include "codesearch/clslabexams.h"

#include "codesearch/codelists.h"
#include "codesearch/frmcodesearch.h"
#include "services/ui/messagebox.h"
#include "session/sessioncontext.h"

namespace kestrix {

clsLabExams::clsLabExams(QObject *parent) : QObject(parent) {}

std::optional<corvane::SearchRecord> clsLabExams::showSearchForm(qint32 &kind, QString &text, QString &filter)
{
    const CodeList *list = codeList(kind);
    if (!list)
        return std::nullopt;
    const QString &narrowTo = list->examBound ? text : filter;
    const QString &startText = list->examBound ? filter : text;

    corvane::Recordset rs = corvane::SessionContext::current().db().query(
        corvane::Command("LABORATORY..Lab_SearchCodeList '") << QString::number(kind) << "', '" << narrowTo.trimmed()
                                                              << "'");
    QStringList fields;
    for (int f = 0; f < rs.fieldCount(); ++f)
        fields.append(rs.fieldName(f));
    QList<QStringList> rows;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList row;
        for (int f = 0; f < rs.fieldCount(); ++f)
            row.append(rs.field(f).toStringOr());
        rows.append(row);
    }
    rs.close();

    frmCodeSearch window(*list, fields, rows, startText.trimmed());
    if (corvane::showModal(window) != QDialog::Accepted)
        return std::nullopt;
    return window.chosen();
}

} // namespace kestrix
