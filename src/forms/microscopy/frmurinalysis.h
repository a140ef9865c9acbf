#pragma once
// Routine urinalysis: physical and dipstick chemistry, microscopy per high-power field and the
// automated counts per microlitre, with remarks. Most fields are pick lists; the report layout
// follows the paper size chosen at sign-off.

#include "forms/common/resultfields.h"
#include "forms/common/resultform.h"

#include <QList>

#include <memory>

namespace Ui {
class frmUrinalysis;
}

namespace corvane {

class PickListCombo;
class ScreenPickLists;

class frmUrinalysis : public ResultForm {
    Q_OBJECT

public:
    explicit frmUrinalysis(QWidget *parent = nullptr);
    ~frmUrinalysis() override;

    PickListCombo *xCbo(int i) const { return m_xCbo.value(i); }
    PickListCombo *cboChem(int i) const { return m_cboChem.value(i); }

    // The layout for a paper size from the sign-off dialog: "W" whole page, "H" half page,
    // anything else the new format.
    static QString reportFileFor(const QString &paperSize);

protected:
    void loadHook() override;
    Command resultQuery() const override;
    void fillResultFields(const Recordset &row) override;
    QList<JudgedField> judgedFields() const override;
    Command saveCommand(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    void prepareSignOff(frmMedTech &signOff) override;
    QString accessionPrompt() const override;
    bool asksForPickerTimes() const override { return true; }
    bool keyHook(QObject *watched, QKeyEvent *key) override;

private:
    std::unique_ptr<Ui::frmUrinalysis> ui;
    QList<PickListCombo *> m_xCbo;
    QList<PickListCombo *> m_cboChem;
    ResultFields m_rtfResult;
    ResultFields m_txtResult;
    std::shared_ptr<ScreenPickLists> m_lists;
};

} // namespace corvane
