#pragma once
// Routine fecalysis: gross appearance, a chemistry block (hidden on this bench, still saved),
// microscopy with ova and parasites, other findings and remarks.

#include "forms/common/resultfields.h"
#include "forms/common/resultform.h"

#include <QList>

#include <memory>

namespace Ui {
class frmFecalysis;
}

namespace corvane {

class PickListCombo;
class ScreenPickLists;

class frmFecalysis : public ResultForm {
    Q_OBJECT

public:
    explicit frmFecalysis(QWidget *parent = nullptr);
    ~frmFecalysis() override;

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
    std::unique_ptr<Ui::frmFecalysis> ui;
    QList<PickListCombo *> m_xCbo;
    ResultFields m_txtOther;
    std::shared_ptr<ScreenPickLists> m_lists;
};

} // namespace corvane
