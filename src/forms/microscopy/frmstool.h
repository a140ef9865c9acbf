#pragma once
// Stool examination for parasites (Kato thick smear and others): physical examination with
// flagellates, blood parasites and filaria; a helminth table by wet mount and concentration.

#include "forms/common/resultfields.h"
#include "forms/common/resultform.h"

#include <QList>

#include <memory>

namespace Ui {
class frmStool;
}

namespace corvane {

class PickListCombo;
class ScreenPickLists;

class frmStool : public ResultForm {
    Q_OBJECT

public:
    explicit frmStool(QWidget *parent = nullptr);
    ~frmStool() override;

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
    std::unique_ptr<Ui::frmStool> ui;
    QList<PickListCombo *> m_xCbo;
    ResultFields m_txtResult;
    std::shared_ptr<ScreenPickLists> m_lists;
};

} // namespace corvane
