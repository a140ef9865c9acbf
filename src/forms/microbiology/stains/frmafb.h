#pragma once
// Acid-fast bacilli smear: specimen, its number in a series and visual appearance (shown for the
// direct sputum smear series), the graded result and comments, with the grading legend that fits
// the specimen.

#include "forms/common/resultfields.h"
#include "forms/common/resultform.h"

namespace Ui {
class frmAfb;
}

namespace corvane {

class frmAfb : public ResultForm {
    Q_OBJECT

public:
    explicit frmAfb(QWidget *parent = nullptr);
    ~frmAfb() override;

    // The specimens read on the 0 to 3 scale of a smear series, with the specimen number and
    // appearance asked for.
    static bool isSeriesSpecimen(const QString &specimenId);

protected:
    void loadHook() override;
    Command resultQuery() const override;
    void fillNewResult(const QDateTime &today) override;
    void fillResultFields(const Recordset &row) override;
    QList<Command> saveCommands(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    QString accessionPrompt() const override;
    bool keyHook(QObject *watched, QKeyEvent *key) override;

private:
    std::unique_ptr<Ui::frmAfb> ui;
    ResultFields m_results;
};

} // namespace corvane
