#pragma once
// Cytology: specimen and history, the sources (body fluid, FNAB site, CT-guided) with their notes,
// the findings and the cytologic diagnosis.

#include "forms/pathology/pathologyform.h"

namespace Ui {
class frmCytology;
}

namespace corvane {

class frmCytology : public PathologyForm {
    Q_OBJECT

public:
    explicit frmCytology(QWidget *parent = nullptr);
    ~frmCytology() override;

protected:
    Command resultQuery() const override;
    void fillResultFields(const Recordset &row) override;
    void fillNewResult(const QDateTime &today) override;
    Command saveCommand(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    void prepareSignOff(frmMedTech &signOff) override;
    QList<QWidget *> emptiedWhenNew() const override;
    QLineEdit *numberBox() const override;

private:
    // "<0|1>|<note>" of source k.
    QString sourceValue(int k) const;

    std::unique_ptr<Ui::frmCytology> ui;
    QList<QCheckBox *> m_sources;
    QList<QLineEdit *> m_notes;
};

} // namespace corvane
