#pragma once
// A free-text result with its interpretation (a peripheral blood smear, a bone marrow reading): the
// findings, what they mean, the criteria they were read by, the specimen and site, and a concurring
// pathologist.

#include "forms/common/conforme.h"
#include "forms/common/resultfields.h"
#include "forms/common/resultform.h"

namespace Ui {
class frmWithInterpretation;
}

namespace corvane {

class frmWithInterpretation : public ResultForm {
    Q_OBJECT

public:
    explicit frmWithInterpretation(QWidget *parent = nullptr);
    ~frmWithInterpretation() override;

protected:
    Command resultQuery() const override;
    void fillResultFields(const Recordset &row) override;
    void fillNewResult(const QDateTime &today) override;
    QList<Command> saveCommands(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    void prepareSignOff(frmMedTech &signOff) override;
    QString accessionPrompt() const override;
    bool keyHook(QObject *watched, QKeyEvent *key) override;

private:
    std::unique_ptr<Ui::frmWithInterpretation> ui;
    // F9 in the result or the interpretation picks one of the exam's interpretation texts.
    ResultFields m_texts;
    Conforme m_conforme;
};

} // namespace corvane
