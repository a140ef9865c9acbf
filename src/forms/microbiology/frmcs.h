#pragma once
// Culture and sensitivity: specimen, microscopy and culture result, up to four organisms, and for
// every antibiotic a sensitivity code and a zone of inhibition per organism (disc diffusion).

#include "forms/common/resultform.h"

#include <QList>

#include <memory>

class QLineEdit;
class QRadioButton;

namespace Ui {
class frmCS;
}

namespace corvane {

class AntibioticGrid;

class frmCS : public ResultForm {
    Q_OBJECT

public:
    explicit frmCS(QWidget *parent = nullptr);
    ~frmCS() override;

    QLineEdit *txtOrg(int i) const { return m_txtOrg.value(i); }
    QRadioButton *optFinal(int i) const { return m_optFinal.value(i); }
    AntibioticGrid &grid() const { return *m_grid; }

protected:
    Command resultQuery() const override;
    void fillNewResult(const QDateTime &today) override;
    void fillResultFields(const Recordset &row) override;
    QList<Command> saveCommands(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    void prepareSignOff(frmMedTech &signOff) override;
    QString accessionPrompt() const override;
    bool asksForPickerTimes() const override { return true; }
    bool entriesComplete() override;
    bool keyHook(QObject *watched, QKeyEvent *key) override;

private:
    void showAntibiotics(const Command &command);
    void tabChanged(int index);
    void appendCommonCode(int functionKey);

    std::unique_ptr<Ui::frmCS> ui;
    QList<QLineEdit *> m_txtOrg;
    QList<QRadioButton *> m_optFinal;
    AntibioticGrid *m_grid = nullptr;
    int m_tab = 0;
    // The logbook remarks of this request as last loaded; a new result has none.
    QString m_remarks;
};

} // namespace corvane
