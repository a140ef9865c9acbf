#pragma once
// The result-field array of a screen (txtResult(0..n)) and its F9 interpretation search.

#include "forms/common/resultflags.h"
#include "services/database/command.h"
#include "services/database/recordset.h"

#include <QList>
#include <QString>
#include <QWidget>

class QKeyEvent;

namespace corvane {

class ResultFields {
public:
    // Collects txtResult_0, txtResult_1 ... (or another array by its name) from the screen, in
    // index order. Line edits, combos and multi-line boxes may stand in the array.
    explicit ResultFields(QWidget &screen, const char *arrayName = "txtResult");
    // Fields that are no array (rtfResult, rtfInterpretation), in the order given.
    explicit ResultFields(QList<QWidget *> fields) : m_fields(std::move(fields)) {}

    int count() const { return static_cast<int>(m_fields.size()); }
    QWidget *field(int i) const { return m_fields.value(i); }
    QString text(int i) const;
    void setText(int i, const QString &text);
    int indexOf(const QObject *widget) const;

    // Field i from the stored row's column at position i + 1 (position 0 is the request), Null
    // read as empty.
    void fillFromPositions(const Recordset &row);
    // Fields from first on, judged as the stored columns they are filled from (field i: result<i+1>).
    QList<JudgedField> judgedByPosition(int first, int last) const;
    // Each field's text followed by the separator, as the save commands list them.
    void appendTo(Command &command, const char *separator) const;

    enum class KeyResult { NotOurs, Handled, MoveOn };
    // Enter moves on (the screen moves the focus); F9 searches the exam's interpretations
    // (kind 28). The filter is the field's text at the first F9 on the screen, kept for every
    // later F9.
    KeyResult handleKey(QObject *watched, QKeyEvent *key);
    // The filter is taken again at the next F9 once a search has filled a field.
    void setFilterUntilFilled(bool untilFilled) { m_filterUntilFilled = untilFilled; }
    // F9 on field i: the interpretation search.
    void searchInterpretation(int index);

private:
    QList<QWidget *> m_fields;
    bool m_searched = false;
    bool m_filterUntilFilled = false;
    QString m_filter;
};

} // namespace corvane
