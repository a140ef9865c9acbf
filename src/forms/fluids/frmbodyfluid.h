#pragma once
// Body-fluid examination (pleural, peritoneal, synovial, cerebrospinal): volume, appearance, pH and
// gravity, cell counts with the differential, protein, glucose and LDH, each beside its reference
// value. A hematology bench sees only the appearance and the cell counts.

#include "forms/common/resultfields.h"
#include "forms/common/resultform.h"

#include <memory>

namespace Ui {
class frmBodyFluid;
}

namespace corvane {

class frmBodyFluid : public ResultForm {
    Q_OBJECT

public:
    explicit frmBodyFluid(QWidget *parent = nullptr);
    ~frmBodyFluid() override;

    QWidget *txtResult(int i) const { return m_txtResult.field(i); }
    QWidget *txtNValue(int i) const { return m_txtNValue.field(i); }

protected:
    void loadHook() override;
    Command resultQuery() const override;
    void fillResultFields(const Recordset &row) override;
    QList<JudgedField> judgedFields() const override;
    Command saveCommand(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    QString accessionPrompt() const override;
    bool keyHook(QObject *watched, QKeyEvent *key) override;

private:
    void showSectionRows(bool hematology);

    std::unique_ptr<Ui::frmBodyFluid> ui;
    ResultFields m_txtResult;
    ResultFields m_txtNValue;
};

} // namespace corvane
