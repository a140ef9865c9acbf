#pragma once
// Arterial, venous and capillary blood gases.

#include "forms/common/resultfields.h"
#include "forms/common/resultform.h"

namespace Ui {
class frmABG;
}

namespace corvane {

class frmABG : public ResultForm {
    Q_OBJECT

public:
    explicit frmABG(QWidget *parent = nullptr);
    ~frmABG() override;

protected:
    void loadHook() override;
    Command resultQuery() const override;
    void fillResultFields(const Recordset &row) override;
    QList<JudgedField> judgedFields() const override;
    Command saveCommand(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    QString accessionPrompt() const override;
    QString dateTimeText(const QDateTime &at) const override;
    bool keyHook(QObject *watched, QKeyEvent *key) override;

private:
    std::unique_ptr<Ui::frmABG> ui;
    ResultFields m_results;
};

} // namespace corvane
