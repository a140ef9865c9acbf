#pragma once
// Antinuclear antibody panel: ANA on HEp-2 cells with pattern and titer, anti-dsDNA on Crithidia,
// Scl-70, Jo-1, SSA, SSB, Sm, RNP, other antibodies and the LE preparation.

#include "forms/common/resultfields.h"
#include "forms/common/resultform.h"

#include <memory>

namespace Ui {
class frmANAPanel;
}

namespace corvane {

class frmANAPanel : public ResultForm {
    Q_OBJECT

public:
    explicit frmANAPanel(QWidget *parent = nullptr);
    ~frmANAPanel() override;

protected:
    void loadHook() override;
    Command resultQuery() const override;
    void fillNewResult(const QDateTime &today) override;
    void fillStoredHeader(const Recordset &row) override;
    void fillResultFields(const Recordset &row) override;
    Command saveCommand(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    QString accessionPrompt() const override;
    bool keyHook(QObject *watched, QKeyEvent *key) override;

private:
    std::unique_ptr<Ui::frmANAPanel> ui;
    ResultFields m_txtResult;
};

} // namespace corvane
