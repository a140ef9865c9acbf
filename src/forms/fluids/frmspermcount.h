#pragma once
// Sperm count: colour, odour, viscosity, volume, motility and count, and the share of normal, dead
// and abnormal forms. Its save also leaves a one-line summary that other modules list.

#include "forms/common/resultfields.h"
#include "forms/common/resultform.h"

#include <memory>

namespace Ui {
class frmSpermCount;
}

namespace corvane {

class frmSpermCount : public ResultForm {
    Q_OBJECT

public:
    explicit frmSpermCount(QWidget *parent = nullptr);
    ~frmSpermCount() override;

    QWidget *txtResult(int i) const { return m_txtResult.field(i); }
    // "Caption=value; " for every filled box, then "Remarks: <remarks>; ".
    QString resultSummary() const;

protected:
    Command resultQuery() const override;
    void fillResultFields(const Recordset &row) override;
    QList<Command> openingCommands() const override;
    QList<Command> saveCommands(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    QString accessionPrompt() const override;
    bool keyHook(QObject *watched, QKeyEvent *key) override;

private:
    std::unique_ptr<Ui::frmSpermCount> ui;
    ResultFields m_txtResult;
    ResultFields m_lblResult;
};

} // namespace corvane
