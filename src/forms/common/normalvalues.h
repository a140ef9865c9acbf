#pragma once
// The normal-value routines of the screens whose exams take their ranges by reagent (method) or by
// the patient's age band: which of the two an exam uses, the lists offered, and the range of each
// row. The screen says how its rows are reached; the routines run the laboratory's commands.

#include <QString>

class QComboBox;
class QLineEdit;
class QWidget;

namespace corvane {

// A normal value of an age band: SI, then conventional, then the factor between them.
struct AgeRange {
    QString range, minimum, maximum, unit;
    QString cRange, cMinimum, cMaximum, cUnit;
    QString factor;
};

// The rows of a screen as the routines see them.
class NormalValueRows {
public:
    virtual ~NormalValueRows() = default;
    virtual int firstRow() const = 0;
    virtual int endRow() const = 0; // one past the last
    virtual QString examCode(int row) const = 0;
    virtual QString formType(int row) const = 0;
    virtual void setAgeRange(int row, const AgeRange &range) = 0;
    // A reagent's range, already chosen by the patient's sex: "min-max" is shown as the normal value.
    virtual void setReagentRange(int row, const QString &minimum, const QString &maximum, const QString &unit) = 0;
};

// The controls the routines fill and show; a screen without one of them passes null.
struct NormalValueControls {
    QWidget *ageFrame = nullptr;   // fraAge
    QComboBox *cboAge = nullptr;
    QComboBox *cboMethod = nullptr;
    QWidget *methodCaption = nullptr;
    QLineEdit *txtMethod = nullptr; // TxtMethod: a stored result's method is chosen again
};

class NormalValueRoutines {
public:
    NormalValueRoutines(NormalValueRows &rows, const NormalValueControls &controls);

    // Shows the age bands when any row is age-dependent, selects the band the rows' format names,
    // and gives every row that band's range. True when the bands are shown.
    bool DetectAgeFormat();
    // Shows the methods when any row is reagent-dependent and gives every row the chosen method's
    // range. A stored result chooses its own method again and keeps the ranges it was saved with.
    bool DetectReagentFormat(bool storedResult);
    void LoadNormalValuesByAge(const QString &code, int row);
    void LoadNormalValuesByReagent(const QString &code, int row);
    // Every row again, after cboAge or cboMethod was chosen.
    void reloadByAge();
    void reloadByReagent();
    // cboMethod was chosen: its method becomes the method text and decides every row's range.
    void methodChosen();

    // An analyser's reagent code decides the ranges in place of the method list while it is set.
    void setAnalyserReagent(const QString &reagentCode) { m_analyserReagent = reagentCode; }
    bool ageShown() const { return m_ageShown; }
    bool methodShown() const { return m_methodShown; }

private:
    void takeMethodFromList();

    NormalValueRows &m_rows;
    NormalValueControls m_controls;
    QString m_analyserReagent;
    bool m_ageShown = false;
    bool m_methodShown = false;
};

} // namespace corvane
