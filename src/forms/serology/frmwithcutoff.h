#pragma once
// Serology in one screen with four result layouts chosen by the exam's format codes: qualitative
// exams against a cut-off or index, exams interpreted against a threshold, short-form exams with a
// remark per exam, and the Widal titre grid.

#include "forms/common/resultform.h"

#include <memory>

namespace Ui {
class frmWithCutOff;
}

namespace corvane {

class GrdEntry;

class frmWithCutOff : public ResultForm {
    Q_OBJECT

public:
    enum class Layout { CutOff, Interpretation, ShortForm, Widal };

    // "X" matches FormType "X", or a panel ("P") whose ValueType is "X"; Widal goes by FormType.
    static Layout layoutFor(const QString &formType, const QString &valueType);

    explicit frmWithCutOff(QWidget *parent = nullptr);
    ~frmWithCutOff() override;

    GrdEntry &grid() const;
    Layout layout() const { return m_layout; }
    // "Typhoid "O" Somatic: 1:20=+; 1:40=...; \r\n" per antigen: the titres in words.
    QString widalSummary() const;

protected:
    void loadHook() override;
    Command resultQuery() const override;
    void fillNewResult(const QDateTime &today) override;
    void fillStoredHeader(const Recordset &row) override;
    void fillResultFields(const Recordset &row) override;
    void executeSave(Connection &db, int flag, const SaveTexts &texts) override;
    QList<Command> saveCommands(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    void prepareSignOff(frmMedTech &signOff) override;
    QString accessionPrompt() const override;
    bool keyHook(QObject *watched, QKeyEvent *key) override;

private:
    void SetupResultGrid();
    int appendRow();
    void fillExamList();
    void LoadThresholdValue(int row);
    int lastEntryColumn() const;
    void grid_KeyDown(int &keyCode);
    void grid_Change();
    void grid_LeaveCell();
    void takeEditorText();
    bool interpretationKey(int key);

    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString &text);
    Command cutOffCommand(int row, const SaveTexts &texts) const;
    Command shortFormCommand(int row, const SaveTexts &texts) const;
    Command Save_Widal(const SaveTexts &texts) const;

    std::unique_ptr<Ui::frmWithCutOff> ui;
    Layout m_layout = Layout::CutOff;
    bool m_filling = false;
    // The cell the editor was placed on: Enter moves before LeaveCell, so the text goes back here.
    int m_editRow = -1;
    int m_editCol = -1;
};

} // namespace corvane
