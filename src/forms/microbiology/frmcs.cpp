#include "forms/microbiology/frmcs.h"

#include "ui_frmcs.h"

#include "forms/microbiology/antibioticgrid.h"
#include "services/logbook.h"
#include "services/signoff/frmmedtech.h"
#include "session/sessioncontext.h"

#include <QKeyEvent>

namespace corvane {

frmCS::frmCS(QWidget *parent) : ResultForm(QStringLiteral("frmCS"), parent), ui(std::make_unique<Ui::frmCS>())
{
    ui->setupUi(this);
    m_txtOrg = {ui->txtOrg_0, ui->txtOrg_1, ui->txtOrg_2, ui->txtOrg_3};
    m_optFinal = {ui->optFinal_0, ui->optFinal_1};
    m_grid = new AntibioticGrid(ui->grdTable, ui->txtInput, ui->txtAntibiotic);
    m_grid->layOut();
    initLifecycle();

    connect(ui->sstbCS, &QTabWidget::currentChanged, this, &frmCS::tabChanged);
    connect(ui->cmdNext_1, &QAbstractButton::clicked, this, [this] { ui->sstbCS->setCurrentIndex(1); });
    connect(ui->cmdNext_0, &QAbstractButton::clicked, this, [this] { ui->sstbCS->setCurrentIndex(2); });
    connect(ui->txtAntibiotic, &QLineEdit::textChanged, m_grid, &AntibioticGrid::search);
    // A date chosen moves on, as a Tab would; dates set by the screen itself do not.
    connect(ui->dtInoculation, &QDateEdit::dateChanged, this, [this] {
        if (ui->dtInoculation->hasFocus())
            focusNextChild();
    });
}

frmCS::~frmCS() = default;

Command frmCS::resultQuery() const
{
    return Command("Select * from Laboratory..tbLabResultCS Where RequestNum = '")
           << SessionContext::current().RequestNum << "'";
}

void frmCS::showAntibiotics(const Command &command)
{
    Recordset rs = SessionContext::current().db().query(command);
    if (!rs.eof())
        m_grid->bind(rs);
    m_grid->layOut();
}

void frmCS::fillNewResult(const QDateTime &today)
{
    ResultForm::fillNewResult(today);
    ui->dtInoculation->setDate(today.date());
    if (!SessionContext::current().EditMode) {
        const QDateTime here = QDateTime::currentDateTime();
        ui->dtReportDate->setDate(here.date());
        ui->dtReportTime->setTime(here.time());
    }
    m_remarks.clear();
    showAntibiotics(Command("Select Code,Description from Build_File..tbCoAntibiotic Where Status = 'A' order by description"));
    ui->optFinal_1->setChecked(true);
}

void frmCS::fillResultFields(const Recordset &row)
{
    SessionContext &s = SessionContext::current();
    const QString finalResult = row.field(QStringLiteral("FinalResult")).toStringOr();
    const bool final = !(finalResult == QLatin1String("N") || finalResult.isEmpty());
    showAntibiotics(Command("Laboratory..Lab_Get_CSCodes '") << s.RequestNum << (final ? "','Y'" : "','N'"));
    (final ? ui->optFinal_0 : ui->optFinal_1)->setChecked(true);
    // A final result stays final on this screen.
    ui->fraFinalResult->setEnabled(!final);
    m_remarks = s.StoredResultHeader.Remarks;

    Recordset cs = s.db().query(Command("Laboratory..Lab_Get_CSResults '") << s.RequestNum << "'");
    if (!cs.eof()) {
        const auto f = [&](const char *column) { return cs.field(QLatin1String(column)); };
        const QDateTime reported = f("ResultDate").toDateTime();
        ui->dtReportDate->setDate(reported.date());
        ui->dtReportTime->setTime(reported.time());
        ui->dtInoculation->setDate(f("InoculationDate").toDateTime().date());
        ui->rtfOrganism->setPlainText(f("Organism").toStringOr());
        ui->rtfSpecimen->setPlainText(f("Specimen").toStringOr());
        ui->rtfAdditional->setPlainText(f("Additional").toStringOr());
        ui->txtAccNum->setText(f("AccessionNum").toStringOr());
        setPickerPair(kSubmitted, f("samplesubmitted").toDateTime());
        setPickerPair(kLra, f("lratime").toDateTime());
        ui->rtfMicroscopy->setPlainText(f("microscopy").toStringOr());
        ui->txtColonyCount->setText(f("ColonyCount").toStringOr());
        for (int i = 0; i < m_txtOrg.size(); ++i)
            txtOrg(i)->setText(cs.field(QStringLiteral("Org%1").arg(i + 1)).toStringOr());
        ui->TxtMethod->setText(s.RequestRecord.Method);
        setPickerPair(kFinished, s.RequestRecord.DateFinished);
    }
}

QList<Command> frmCS::saveCommands(int flag, const SaveTexts &texts) const
{
    const QString &requestNum = SessionContext::current().RequestNum;
    QList<Command> commands;
    if (flag == 1)
        commands.append(Command("Laboratory..Lab_Delete_CSCodes '") << requestNum << "'");
    for (const SensitivityCode &code : m_grid->codes()) {
        commands.append(Command("Laboratory..Lab_Save_CSCodes '")
                        << requestNum << "', '" << code.antibiotic << "', '" << code.result << "','" << code.organism
                        << "', '" << code.zone << "'");
    }
    Command header(flag == 0 ? "Laboratory..Lab_Save_CSResult '0', '" : "Laboratory..Lab_Save_CSResult '1', '");
    header << requestNum << "','" << texts.report << "', '" << ui->rtfSpecimen->toPlainText() << "', '"
           << ui->rtfOrganism->toPlainText() << "', '" << ui->dtInoculation->date().toString(QStringLiteral("MM/dd/yyyy"))
           << "','" << QString() << "', '" << m_remarks << "', '" << ui->rtfAdditional->toPlainText() << "','"
           << ui->txtAccNum->text() << "', '" << logbookDateTime(pickerValue(kSubmitted)) << "', '"
           << logbookDateTime(pickerValue(kLra)) << "', '" << ui->txtColonyCount->text() << "', '" << txtOrg(0)->text()
           << "', '" << txtOrg(1)->text() << "', '" << txtOrg(2)->text() << "', '" << txtOrg(3)->text() << "', '"
           << ui->TxtMethod->text() << "', '" << texts.finished << "'";
    commands.append(header);
    return commands;
}

ReportRequest frmCS::report() const
{
    const SessionContext &s = SessionContext::current();
    const bool wholePage = frmMedTech::shared().PaperSize() == QLatin1String("W");
    return {wholePage ? QStringLiteral("LabPrint_CS_WholePage.RPT") : QStringLiteral("LabPrint_CS.RPT"),
            QStringLiteral("Kirby - Bauer Method"),
            {s.RequestNum, s.HospitalCompany, s.HospitalAddress},
            {{QStringLiteral("Antibiotic"), {s.RequestNum}}}};
}

// The report is chosen by the paper size, so the sign-off offers it.
void frmCS::prepareSignOff(frmMedTech &signOff)
{
    signOff.setShowPaperSizeOption(true);
}

QString frmCS::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

bool frmCS::entriesComplete()
{
    // An invalid code still in the editor is told and kept for correcting, not saved.
    if (m_grid->editorOpen() && !m_grid->validate()) {
        ui->sstbCS->setCurrentIndex(1);
        ui->txtInput->setFocus();
        return false;
    }
    return true;
}

void frmCS::appendCommonCode(int functionKey)
{
    const QLabel *labels[] = {ui->lblF4, ui->lblF5, ui->lblF6, ui->lblF7, ui->lblF8};
    const QString text = ui->rtfOrganism->toPlainText();
    // Each code on a line of its own after what is there.
    ui->rtfOrganism->setPlainText(text.isEmpty() ? labels[functionKey - 4]->text()
                                                 : text + QLatin1Char('\n') + labels[functionKey - 4]->text());
    QTextCursor end = ui->rtfOrganism->textCursor();
    end.movePosition(QTextCursor::End);
    ui->rtfOrganism->setTextCursor(end);
}

bool frmCS::keyHook(QObject *watched, QKeyEvent *key)
{
    if (watched == ui->txtInput)
        return m_grid->editorKey(key);
    if (key->key() >= Qt::Key_F4 && key->key() <= Qt::Key_F8) {
        appendCommonCode(key->key() - Qt::Key_F1 + 1);
        return true;
    }
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && (watched == ui->rtfSpecimen || watched == ui->TxtMethod)) {
        focusNextChild();
        return true;
    }
    if (enter && watched == ui->txtAntibiotic) {
        m_grid->editFoundRow();
        return true;
    }
    return false;
}

void frmCS::tabChanged(int index)
{
    const int left = std::exchange(m_tab, index);
    if (left == 0) {
        m_grid->hideEditor();
        m_grid->setCurrentCell(0, m_grid->currentColumn());
        if (ui->txtAntibiotic->isVisible())
            ui->txtAntibiotic->setFocus();
    } else if (left == 1) {
        if (ui->rtfSpecimen->isEnabled())
            ui->rtfSpecimen->setFocus();
        m_grid->hideEditor();
    } else if (left == 2 && ui->rtfAdditional->isEnabled()) {
        ui->rtfAdditional->setFocus();
    }
}

} // namespace corvane
