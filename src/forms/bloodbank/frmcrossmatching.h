#pragma once
// Blood bank: patient and donor blood typing, the crossmatch phases and result, the issue and
// transfusion of the unit with the patient's vital signs before and after, and remarks. A donor
// unit whose ABO or Rh(D) group does not fit the patient is shown on the screen and must be
// confirmed before it is saved.

#include "forms/common/resultfields.h"
#include "forms/common/resultform.h"

#include <QList>

#include <memory>

class QCheckBox;

namespace Ui {
class frmCrossmatching;
}

namespace corvane {

class PickListCombo;
class ScreenPickLists;

class frmCrossmatching : public ResultForm {
    Q_OBJECT

public:
    explicit frmCrossmatching(QWidget *parent = nullptr);
    ~frmCrossmatching() override;

    // Why the donor unit does not fit the patient, as the screen shows it; empty when it fits.
    QString unitMismatch() const;

protected:
    void loadHook() override;
    Command resultQuery() const override;
    void fillNewResult(const QDateTime &today) override;
    void fillResultFields(const Recordset &row) override;
    QList<JudgedField> judgedFields() const override;
    Command saveCommand(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    QString accessionPrompt() const override;
    bool keyHook(QObject *watched, QKeyEvent *key) override;
    bool readyToSave() override;

private:
    void showUnitFit();
    // Tab or Enter at the end of the typing page goes on to the crossmatching page.
    bool turnPage(QObject *watched);

    std::unique_ptr<Ui::frmCrossmatching> ui;
    ResultFields m_txtResult;
    QList<QCheckBox *> m_chkPTransfusion;
    QList<QCheckBox *> m_chkPReaction;
    QList<QCheckBox *> m_chkPhase;
    QList<QCheckBox *> m_chkReaction;
    std::shared_ptr<ScreenPickLists> m_lists;
};

} // namespace corvane
