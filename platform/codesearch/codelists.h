#pragma once
// The lists the code-search window offers, by list kind: what each is called, which columns the
// window shows, and whether the list belongs to one exam.

#include <QList>
#include <QString>

namespace kestrix {

struct CodeColumn {
    QString field;   // field of the record
    QString heading;
    int widthChars;  // 0: takes the remaining width
};

struct CodeList {
    qint32 kind = 0;
    QString name;
    // Exam-bound lists take the exam code as the search text and start from the filter;
    // the others start from the text and are narrowed by the filter.
    bool examBound = false;
    QList<CodeColumn> columns;
};

// nullptr for a kind the library has no list for.
const CodeList *codeList(qint32 kind);
QList<qint32> codeListKinds();

} // namespace kestrix
