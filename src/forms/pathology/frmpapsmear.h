#pragma once
// Pap smear in the Bethesda layout: specimen, adequacy, general categorization, specimen type and
// the descriptive interpretation. Opened from the Bethesda chooser.

#include "forms/pathology/pathologyform.h"

class QRadioButton;

namespace Ui {
class frmPapsmear;
}

namespace corvane {

class frmPapsmear : public PathologyForm {
    Q_OBJECT

public:
    explicit frmPapsmear(QWidget *parent = nullptr);
    ~frmPapsmear() override;

protected:
    Command resultQuery() const override;
    void fillResultFields(const Recordset &row) override;
    void fillNewResult(const QDateTime &today) override;
    bool receivedFromServerClock() const override { return false; }
    QList<Command> saveCommands(int flag, const SaveTexts &texts) const override;
    Command saveCommand(int flag, const SaveTexts &texts) const override;
    LogbookEntry logbookEntry() const override;
    ReportRequest report() const override;
    void prepareSignOff(frmMedTech &signOff) override;
    QList<QWidget *> emptiedWhenNew() const override;
    QLineEdit *numberBox() const override;

private:
    // "Lab_Get_Conforme": the concurring pathologist is kept apart from the smear's own row.
    void loadConforme();
    QString specimenType() const;
    void setSpecimenType(const QString &stored);

    std::unique_ptr<Ui::frmPapsmear> ui;
    QList<QCheckBox *> m_specimen;
    QList<QCheckBox *> m_adequacy;
    QList<QCheckBox *> m_category;
    QList<QRadioButton *> m_type;
};

} // namespace corvane
