#pragma once
// Wright stain of urine: color and clarity from the urinalysis pick lists, the white-cell
// differential in per cent (free text; nothing makes it add up to 100) and comments.

#include "forms/common/resultfields.h"
#include "forms/common/resultform.h"

#include <QList>

#include <memory>

namespace Ui {
class frmUrineWright;
}

namespace corvane {

class PickListCombo;
class ScreenPickLists;

class frmUrineWright : public ResultForm {
    Q_OBJECT

public:
    explicit frmUrineWright(QWidget *parent = nullptr);
    ~frmUrineWright() override;

    PickListCombo *xCbo(int i) const { return m_xCbo.value(i); }

protected:
    void loadHook() override;
    bool loadsResultHeader() const override { return false; }
    Command resultQuery() const override;
    void fillResultFields(const Recordset &row) override;
    Command saveCommand(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    QString accessionPrompt() const override;
    bool keyHook(QObject *watched, QKeyEvent *key) override;

private:
    std::unique_ptr<Ui::frmUrineWright> ui;
    QList<PickListCombo *> m_xCbo;
    ResultFields m_txtResults;
    std::shared_ptr<ScreenPickLists> m_lists;
};

} // namespace corvane
