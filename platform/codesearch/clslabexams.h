#pragma once
// The code-search object (class identity "Kestrix.clslabexams"): shows a search window over one
// of the laboratory's code lists and returns the chosen line as a record of named fields. The
// lists come from the session's shared connection ("LABORATORY..Lab_SearchCodeList").

#include "host/objectregistry.h"
#include "session/codesearch.h"

#include <QObject>

#include <memory>

namespace kestrix {

class clsLabExams : public QObject, public corvane::ICodeSearch {
    Q_OBJECT

public:
    static inline const QString kClassIdentity = QStringLiteral("Kestrix.clslabexams");

    explicit clsLabExams(QObject *parent = nullptr);

    // kind: the list (see codelists.h). For the exam-bound lists text is the exam code and filter
    // the starting search; for the others text is the starting search and filter narrows the
    // list (a section, an exam, or a specialization with "A" for every doctor). Nothing for a
    // kind without a list, or when the window closes without a choice.
    std::optional<corvane::SearchRecord> showSearchForm(qint32 &kind, QString &text, QString &filter) override;
};

// Makes "Kestrix.clslabexams" creatable through the component's object registry. Inline, so that
// the library itself does not depend on the component that creates it.
inline void registerCodeSearchClass()
{
    corvane::registerClass(clsLabExams::kClassIdentity,
                           [] { return std::unique_ptr<QObject>(std::make_unique<clsLabExams>()); });
}

} // namespace kestrix
