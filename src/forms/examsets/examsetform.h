#pragma once
// What the two exam-set screens share: the exam-entry list read for the request, the normal values
// by reagent or age band, the HIGH/LOW flag of each line, the save of one command per line with
// the batch number and a progress display, and the choice of report.

#include "forms/common/normalvalues.h"
#include "forms/common/resultform.h"

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;

namespace corvane {

class ExamEntry;

class ExamSetForm : public ResultForm, private NormalValueRows {
    Q_OBJECT

public:
    ~ExamSetForm() override;

    ExamEntry &list() const { return *m_list; }
    // Judges line i against its limits, shows the flag and colours the line.
    void updateFlag(int line);
    // The save command of line i, as the save sends it.
    Command lineCommand(int line, const SaveTexts &texts, const QString &batch) const;

protected:
    ExamSetForm(const QString &screenName, QWidget *parent = nullptr);
    // After setupUi: finds the list and the shared controls and wires them.
    void initExamSet();

    void loadHook() override;
    Command resultQuery() const override;
    void fillResultFields(const Recordset &row) override;
    void fillNewResult(const QDateTime &today) override;
    void executeSave(Connection &db, int flag, const SaveTexts &texts) override;
    ReportRequest report() const override;
    QString accessionPrompt() const override;

    // The set-up of the request's format code, after the lines are read.
    virtual void setupByFormat() = 0;
    // The caption while line i is saved.
    virtual QString progressCaption(int line) const = 0;
    // Whether the sign-off's whole-page paper prints the whole-page layout.
    virtual bool printsWholePage() const { return false; }
    // A character typed on line i, already in upper case: false discards it.
    virtual bool acceptsCharacter(int line, QChar c) const;
    // A key on line i before it is typed; true when the screen handled it.
    virtual bool lineKeyDown(int line, int keyCode);

    // Whether line i takes numbers only (and is saved as a number).
    bool isNumericLine(int line) const;
    // The age-dependent set-up runs when the list is filled for a new result.
    void useAgeRanges() { m_ageRanges = true; }
    // Enter's move: the next line, or from the last line to Save.
    void moveOn(int line);
    QString methodText() const;

private:
    // The lines as the normal-value routines reach them.
    int firstRow() const override { return 0; }
    int endRow() const override;
    QString examCode(int row) const override;
    QString formType(int row) const override;
    void setAgeRange(int row, const AgeRange &range) override;
    void setReagentRange(int row, const QString &minimum, const QString &maximum, const QString &unit) override;

    void list_KeyDown(int line, int &keyCode);
    void list_KeyPress(int line, int &keyAscii);
    void flagAll();

    ExamEntry *m_list = nullptr;
    QComboBox *m_cboMethod = nullptr;
    QLineEdit *m_txtMethod = nullptr;
    QLineEdit *m_txtRemarks = nullptr;
    QLineEdit *m_txtAccNum = nullptr;
    QLabel *m_lblProgress = nullptr;
    QProgressBar *m_pbarSave = nullptr;
    std::unique_ptr<NormalValueRoutines> m_ranges;
    bool m_ageRanges = false;
};

} // namespace corvane
