#pragma once
// One antibiotic panel of the bacteriology report: the antibiotics of one organism heading and
// reporting tier, each chosen for the report by a click (the check mark) with what was found.

#include <QObject>
#include <QString>

class QTableWidget;

namespace corvane {

class Recordset;

struct ChosenAntibiotic {
    QString code;
    QString result; // "S", "I", "R" or empty
};

class AntibioticPanel : public QObject {
    Q_OBJECT

public:
    // The mark of a chosen row, shown as a check mark.
    static const QChar kMark;

    AntibioticPanel(QTableWidget *grid, QChar letter, int heading);

    QChar letter() const { return m_letter; }
    int heading() const { return m_heading; } // 1 or 2: the group's first or second organism
    QTableWidget *grid() const { return m_grid; }

    // The panel's antibiotics (code, description), none chosen.
    void fill(Recordset &rs);
    // The stored choice of the panel (code, result).
    void choose(Recordset &rs);
    void toggle(int row);
    void setResult(int row, const QString &result);
    QList<ChosenAntibiotic> chosen() const;

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTableWidget *m_grid;
    QChar m_letter;
    int m_heading;
};

} // namespace corvane
