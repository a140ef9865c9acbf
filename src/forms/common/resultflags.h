#pragma once
// The flags beside a screen's numeric result fields: each field judged while it is typed and when
// it is filled, against the interval and critical limits that fit the request's patient.

#include <labdb/clinicalflags.h>

#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>

class QLabel;
class QWidget;

namespace corvane {

// A result control and the stored result column it is saved into ("result6").
struct JudgedField {
    QWidget *control = nullptr;
    QString field;
};

// What the field holds as the technologist sees it: its user property (a line edit's text, a
// combo's current text, a pick list's text).
QString judgedText(const QWidget *control);
// Calls `edited` on `receiver` whenever the field's text changes (line edits and combos).
void onJudgedTextChanged(const JudgedField &field, QObject *receiver, const std::function<void()> &edited);
// Undoes onJudgedTextChanged for every field that was watched by `receiver`.
void stopWatching(const QList<JudgedField> &fields, QObject *receiver);

// A critical value the technologist must report before saving.
struct CriticalValue {
    QString field;
    QString caption; // the field's caption on the screen
    QString value;
    QString limit;   // "> 100", "< 7.20"
};

class ResultFlags : public QObject {
    Q_OBJECT

public:
    explicit ResultFlags(QWidget &screen);

    // Reads the limits of the request and the critical values already called; shows a flag label
    // beside each field that has limits. Nothing is shown when the exam has none.
    void load(const QString &requestNum, const QList<JudgedField> &fields);
    // Whether any field has limits: the save then keeps the judgement with the result.
    bool judges() const { return !m_limits.isEmpty(); }
    labdb::Flag flagOf(const JudgedField &field) const;
    // Critical values not yet called with the same value.
    QList<CriticalValue> uncalledCriticals() const;
    // After a save that reported them.
    void markCalled(const QList<CriticalValue> &values);

private:
    struct FieldLimits {
        labdb::Limits limits;
        QString criticalLow, criticalHigh;
    };
    void show(const JudgedField &field);
    QLabel *labelBeside(QWidget *control);
    QString captionOf(const QWidget *control) const;

    QWidget &m_screen;
    QList<JudgedField> m_fields;
    QMap<QString, FieldLimits> m_limits;   // by field
    QMap<QString, QString> m_called;       // field -> value already called
    QMap<const QWidget *, QLabel *> m_labels;
    QMap<const QObject *, int> m_flagColumns;
    // Grids with two judged fields in one row (before and after): each flag sits in its field's cell.
    QSet<const QObject *> m_sharedRows;
};

} // namespace corvane
