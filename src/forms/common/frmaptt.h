#pragma once
// Coagulation results: prothrombin time, APTT, fibrinogen, bleeding and clotting times.

#include "forms/common/resultfields.h"
#include "forms/common/resultform.h"

namespace Ui {
class frmAPTT;
}

namespace corvane {

class frmAPTT : public ResultForm {
    Q_OBJECT

public:
    explicit frmAPTT(QWidget *parent = nullptr);
    ~frmAPTT() override;

protected:
    Command resultQuery() const override;
    void fillResultFields(const Recordset &row) override;
    QList<JudgedField> judgedFields() const override;
    Command saveCommand(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    QString accessionPrompt() const override;
    bool keyHook(QObject *watched, QKeyEvent *key) override;

private:
    std::unique_ptr<Ui::frmAPTT> ui;
    ResultFields m_results;
};

} // namespace corvane
