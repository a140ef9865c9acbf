#pragma once
// Semen analysis: the physical and microscopic findings beside their reference values, the count,
// motility from baseline to the fourth hour and morphology, with the reagents used.

#include "forms/common/resultfields.h"
#include "forms/common/resultform.h"

#include <QList>

#include <memory>

namespace Ui {
class frmSemenAnalysis;
}

namespace corvane {

class PickListCombo;
class ScreenPickLists;

class frmSemenAnalysis : public ResultForm {
    Q_OBJECT

public:
    explicit frmSemenAnalysis(QWidget *parent = nullptr);
    ~frmSemenAnalysis() override;

    PickListCombo *xCbo(int i) const { return m_xCbo.value(i); }
    // Boxes 0 to 9 and 19 exist; the others are null.
    QLineEdit *txtNValue(int i) const;
    // Exam 756 prints the revised layout.
    static QString reportFileFor(const QString &examCode);

protected:
    void loadHook() override;
    Command resultQuery() const override;
    void fillResultFields(const Recordset &row) override;
    QList<JudgedField> judgedFields() const override;
    Command saveCommand(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    QString accessionPrompt() const override;
    bool keyHook(QObject *watched, QKeyEvent *key) override;

private:
    std::unique_ptr<Ui::frmSemenAnalysis> ui;
    QList<PickListCombo *> m_xCbo;
    std::shared_ptr<ScreenPickLists> m_lists;
};

} // namespace corvane
