#pragma once
// The bacteriology report: a preliminary and a final report (specimen, tests, site, findings), the
// culture and its isolates, and the antibiotics reported for the isolate, chosen from panels that
// depend on the organism group. No format code opens it; the host opens it by name.

#include "forms/common/resultform.h"

#include <QList>

#include <memory>

class QCheckBox;
class QRadioButton;

namespace Ui {
class frmMicrobiology;
}

namespace corvane {

class AntibioticPanel;

class frmMicrobiology : public ResultForm {
    Q_OBJECT

public:
    explicit frmMicrobiology(QWidget *parent = nullptr);
    ~frmMicrobiology() override;

    // The report file for a stored row: with susceptibilities, final, or preliminary.
    static QString reportFileFor(const QString &resultS, const QString &resultI, const QString &resultR,
                                 const QString &finalReport);

protected:
    void loadHook() override;
    Command resultQuery() const override;
    void fillNewResult(const QDateTime &today) override;
    void fillResultFields(const Recordset &row) override;
    QList<Command> saveCommands(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    QString accessionPrompt() const override;

private:
    int group() const;
    // The group's two headings and its eight panels.
    void showGroup(int group);
    void loadCultureList();
    void addCultureDescription();
    void searchCultureList(const QString &text);

    std::unique_ptr<Ui::frmMicrobiology> ui;
    QList<QCheckBox *> m_chkSpecimen, m_chkTest, m_chkSFinal, m_chkTFinal, m_check1;
    QList<QRadioButton *> m_option1;
    QList<AntibioticPanel *> m_panels;
    int m_shownGroup = -1;
};

} // namespace corvane
