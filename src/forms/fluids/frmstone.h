#pragma once
// Urinary stone (calculus) analysis: size and appearance before and after pulverization, and the
// chemical spot tests for carbonate, calcium, oxalate, ammonium, phosphate, magnesium, uric acid
// and cystine.

#include "forms/common/resultfields.h"
#include "forms/common/resultform.h"

#include <QList>

#include <memory>

namespace Ui {
class frmStone;
}

namespace corvane {

class PickListCombo;
class ScreenPickLists;

class frmStone : public ResultForm {
    Q_OBJECT

public:
    explicit frmStone(QWidget *parent = nullptr);
    ~frmStone() override;

    PickListCombo *xCbo(int i) const { return m_xCbo.value(i); }

protected:
    void loadHook() override;
    Command resultQuery() const override;
    void fillResultFields(const Recordset &row) override;
    Command saveCommand(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    QString accessionPrompt() const override;
    bool keyHook(QObject *watched, QKeyEvent *key) override;

private:
    std::unique_ptr<Ui::frmStone> ui;
    QList<PickListCombo *> m_xCbo;
    ResultFields m_txtValues;
    std::shared_ptr<ScreenPickLists> m_lists;
};

} // namespace corvane
