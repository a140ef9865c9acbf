#pragma once
// The Δ beside a result that moved beyond its rule since the same patient's previous result: the
// previous results read once when the screen is filled, each value compared while it is typed,
// and the deltas seen written with the save.

#include "forms/common/resultflags.h"

#include <labdb/deltacheck.h>

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

#include <optional>

class QLabel;
class QWidget;

namespace corvane {

class Connection;

// A value a delta rule may judge: a field ("result9") or a grid row's exam code, and the request
// it is saved under (empty: the screen's own).
struct DeltaValue {
    QString key;
    QString value;
    QString requestNum = {};
};

struct SeenDelta {
    QString examCode, field;
    QString previousRequest, previousValue, previousDate, previousAt;
    QString value, change;
    QString text; // "previous 4.1 on 03/02/2026, now 6.3 (+54 %)"
};

class DeltaCheck : public QObject {
    Q_OBJECT

public:
    explicit DeltaCheck(QWidget &screen);

    // The request's previous results, one lookup. Nothing of an earlier filling stays shown.
    void load(const QString &requestNum);
    // The delta of a value, when it has a previous result and moved beyond the rule.
    std::optional<SeenDelta> deltaOf(const QString &key, const QString &value) const;
    // A value just judged: the status line shows its delta, or loses the one it showed of it.
    void noteJudged(const QString &key, const std::optional<SeenDelta> &delta);
    // The fields' Δ labels, kept up to date while typing. Called when the screen is filled: the
    // status line then shows the first delta the filling met.
    void watch(const QList<JudgedField> &fields);
    // One audit row per delta among the values, inside the caller's transaction.
    void save(Connection &db, const QList<DeltaValue> &values, const QString &requestNum,
              const QString &employeeCode) const;

private:
    struct Previous {
        QString examCode, field, requestNum, value, date, at;
        labdb::DeltaRule rule;
    };
    void show(const JudgedField &field);
    QLabel *labelBeside(QWidget *control);
    void setStatus(const QString &text);

    QWidget &m_screen;
    QMap<QString, Previous> m_previous; // by field or exam code
    QList<JudgedField> m_fields;
    QMap<const QWidget *, QLabel *> m_labels;
    QMap<const QWidget *, QString> m_tips; // control -> its delta's text
    QLabel *m_status = nullptr;
    QString m_statusKey;
    QString m_firstKey, m_firstText;
};

} // namespace corvane
