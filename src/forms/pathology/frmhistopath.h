#pragma once
// Surgical pathology: specimen and history, gross and microscopic descriptions, the pathologic
// diagnosis, the reading pathologist and the conforme.

#include "forms/pathology/pathologyform.h"

namespace Ui {
class frmHistopath;
}

namespace corvane {

class frmHistopath : public PathologyForm {
    Q_OBJECT

public:
    explicit frmHistopath(QWidget *parent = nullptr);
    ~frmHistopath() override;

protected:
    Command resultQuery() const override;
    void fillResultFields(const Recordset &row) override;
    Command saveCommand(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    void prepareSignOff(frmMedTech &signOff) override;
    QList<QWidget *> emptiedWhenNew() const override;
    QLineEdit *numberBox() const override;

private:
    std::unique_ptr<Ui::frmHistopath> ui;
};

// "LABORATORY..Lab_GetResultFromTable  'H','<request>'": histopathology and cytology share it.
Command histopathLoadCommand();

} // namespace corvane
