#pragma once
// Quantitative exams with normal values: one grid row per exam (or panel component) with its SI
// and conventional result, normal value, unit and range; normal values by reagent, age band, sex
// or analyser.

#include "forms/common/normalvalues.h"
#include "forms/common/resultform.h"

#include <array>

namespace Ui {
class frmWithNormalValues;
}

namespace corvane {

class GrdEntry;

class frmWithNormalValues : public ResultForm, private NormalValueRows {
    Q_OBJECT

public:
    // The result grid's columns.
    enum Column {
        ColRequestNum = 0,
        ColExamID = 1,
        ColExam = 2,
        ColSResult = 3,
        ColSNValue = 4,
        ColSUnit = 5,
        ColSMin = 6,
        ColSMax = 7,
        ColCResult = 8,
        ColCNValue = 9,
        ColCUnit = 10,
        ColCMin = 11,
        ColCMax = 12,
        ColFactor = 13,
        ColFType = 14,
        ColumnCount = 15
    };

    explicit frmWithNormalValues(QWidget *parent = nullptr);
    ~frmWithNormalValues() override;

    GrdEntry &grid() const;

protected:
    void loadHook() override;
    Command resultQuery() const override;
    void fillResultFields(const Recordset &row) override;
    void fillNewResult(const QDateTime &today) override;
    void executeSave(Connection &db, int flag, const SaveTexts &texts) override;
    ReportRequest report() const override;
    QString accessionPrompt() const override;
    bool keyHook(QObject *watched, QKeyEvent *key) override;
    bool checksDeltas() const override { return true; }
    QList<DeltaValue> deltaValues() const override;

private:
    void SetupResultGrid();
    int appendRow();
    // The recordset's field for each grid column, in column order; nullptr leaves the cell empty.
    using RowFields = std::array<const char *, ColumnCount>;
    void fillRows(Recordset rs, const RowFields &fields);
    void fillFormatRows(Recordset rs);
    void fillStoredRows(Recordset rs);
    void reload(bool manualEntry = false);
    void loadFormat();
    // The rows as the normal-value routines reach them.
    int firstRow() const override { return 1; }
    int endRow() const override;
    QString examCode(int row) const override;
    QString formType(int row) const override;
    void setAgeRange(int row, const AgeRange &range) override;
    void setReagentRange(int row, const QString &minimum, const QString &maximum, const QString &unit) override;
    void LoadInstrumentResults();
    void cboMethod_Click();
    void cboAge_Click();
    void chkInstrument_Click();

    void grid_KeyDown(int &keyCode);
    bool entersDownTheColumn() const;
    void enterDownTheColumn();
    void grid_Change();
    void grid_LeaveCell();
    void applyTextColour();
    void convertCurrentCell();
    void updateFlag(int row);
    void editNormalValue();
    void searchNormalValues();
    void toggleRowFlag();
    void compute();

    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString &text);
    Command rowCommand(int row) const;

    std::unique_ptr<Ui::frmWithNormalValues> ui;
    // The analyser chosen with chkInstrument (its lookup's ID, name and reagent code).
    QString m_instrumentID;
    QString m_instrumentName;
    QString m_reagentCode;
    std::unique_ptr<NormalValueRoutines> m_ranges;
    bool m_filling = false;
    // The cell the editor was last typed in.
    int m_editRow = -1;
    int m_editCol = -1;
};

} // namespace corvane
