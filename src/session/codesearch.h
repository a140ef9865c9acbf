#pragma once
// The code-search library's object (class identity "Kestrix.clslabexams") as the component sees
// it: one modal search window per list kind, returning the record the user chose.

#include <QMap>
#include <QString>

#include <optional>

namespace corvane {

// A chosen record: field name -> text (e.g. "Interpretation", "LabExam", "DoctorID").
using SearchRecord = QMap<QString, QString>;

class ICodeSearch {
public:
    virtual ~ICodeSearch() = default;

    // Shows the search window for list kind `kind`, starting from `text`, restricted by `filter`;
    // nothing when the user chose nothing.
    virtual std::optional<SearchRecord> showSearchForm(qint32 &kind, QString &text, QString &filter) = 0;

protected:
    ICodeSearch() = default;
    ICodeSearch(const ICodeSearch &) = default;
    ICodeSearch &operator=(const ICodeSearch &) = default;
};

} // namespace corvane
