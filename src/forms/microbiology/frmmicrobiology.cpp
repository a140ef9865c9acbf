#include "forms/microbiology/frmmicrobiology.h"

#include "ui_frmmicrobiology.h"

#include "forms/common/checkgroup.h"
#include "forms/microbiology/antibioticpanel.h"
#include "services/ui/messagebox.h"
#include "session/sessioncontext.h"

#include <array>

namespace corvane {

namespace {

struct OrganismGroup {
    const char *heading1;
    const char *heading2;
    int list1;
    int list2;
};
constexpr std::array<OrganismGroup, 3> kGroups{{
    {"Enterobacteriaceae", "Pseudomonas aeruginosa and Acinetobacter spp.", 1, 2},
    {"Staphylococcus spp.", "Enterococcus spp.", 3, 4},
    {"Streptococcus Pneumoniae", "Streptococcus spp. Other than Streptococcus Pneumoniae", 5, 6},
}};

Command storedReport(const QString &requestNum)
{
    return Command("LABORATORY..Lab_GetResultMicrobiology '") << requestNum << "','2','','',''";
}

void fillList(QTableWidget *grid, const Command &command)
{
    Recordset rs = SessionContext::current().db().query(command);
    grid->setRowCount(0);
    for (int row = 0; !rs.eof(); rs.moveNext(), ++row) {
        grid->insertRow(row);
        auto *item = new QTableWidgetItem(rs.field(QStringLiteral("Description")).toStringOr());
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        grid->setItem(row, 0, item);
    }
}

} // namespace

frmMicrobiology::frmMicrobiology(QWidget *parent)
    : ResultForm(QStringLiteral("frmMicrobiology"), parent), ui(std::make_unique<Ui::frmMicrobiology>())
{
    ui->setupUi(this);
    m_chkSpecimen = checkBoxArray(*this, "chkSpecimen");
    m_chkTest = checkBoxArray(*this, "chkTest");
    m_chkSFinal = checkBoxArray(*this, "chkSFinal");
    m_chkTFinal = checkBoxArray(*this, "chkTFinal");
    m_check1 = checkBoxArray(*this, "Check1");
    m_option1 = {ui->Option1_0, ui->Option1_1, ui->Option1_2};
    const std::array<std::pair<QTableWidget *, QTableWidget *>, 4> grids{{{ui->grdGroupA1, ui->grdGroupA2},
                                                                          {ui->grdGroupB1, ui->grdGroupB2},
                                                                          {ui->grdGroupC1, ui->grdGroupC2},
                                                                          {ui->grdGroupU1, ui->grdGroupU2}}};
    const QString letters = QStringLiteral("ABCU");
    for (std::size_t i = 0; i < grids.size(); ++i) {
        m_panels << new AntibioticPanel(grids[i].first, letters.at(static_cast<qsizetype>(i)), 1)
                 << new AntibioticPanel(grids[i].second, letters.at(static_cast<qsizetype>(i)), 2);
    }
    for (QTableWidget *list : {ui->grdOthers, ui->grdTests}) {
        list->horizontalHeader()->setStretchLastSection(true);
        list->horizontalHeader()->hide();
        list->verticalHeader()->hide();
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    }
    initLifecycle();

    for (int i = 0; i < m_option1.size(); ++i) {
        connect(m_option1[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                guarded([&] { showGroup(i); });
        });
    }
    connect(ui->cmdAdd, &QAbstractButton::clicked, this, [this] { guarded([&] { addCultureDescription(); }); });
    connect(ui->txtSearch, &QLineEdit::textChanged, this, &frmMicrobiology::searchCultureList);
    connect(ui->cmdOthers, &QAbstractButton::clicked, this, [this] {
        if (const QTableWidgetItem *item = ui->grdOthers->currentItem())
            ui->txtOthers->setText(item->text());
    });
}

frmMicrobiology::~frmMicrobiology() = default;

QString frmMicrobiology::reportFileFor(const QString &resultS, const QString &resultI, const QString &resultR,
                                       const QString &finalReport)
{
    if (!(resultS.trimmed() + resultI.trimmed() + resultR.trimmed()).isEmpty())
        return QStringLiteral("LabPrint_Microbiology.rpt");
    if (!finalReport.trimmed().isEmpty())
        return QStringLiteral("LabPrint_FinalMicro.rpt");
    return QStringLiteral("LabPrint_PreMicro.rpt");
}

void frmMicrobiology::loadHook()
{
    ResultForm::loadHook();
    loadCultureList();
    fillList(ui->grdTests, Command("SELECT * FROM LABORATORY..tbLab_BuildMicroTesting ORDER BY [Description]"));
    ui->Option1_0->setChecked(true);
    if (m_shownGroup != 0)
        showGroup(0);
}

void frmMicrobiology::loadCultureList()
{
    fillList(ui->grdOthers, Command("SELECT * FROM LABORATORY..tbLab_BuildCulture ORDER BY [Description]"));
}

int frmMicrobiology::group() const
{
    for (int i = 0; i < m_option1.size(); ++i) {
        if (m_option1[i]->isChecked())
            return i;
    }
    return 0;
}

void frmMicrobiology::showGroup(int group)
{
    const OrganismGroup &g = kGroups.at(static_cast<std::size_t>(group));
    ui->lblHeading1->setText(QLatin1String(g.heading1));
    ui->lblHeading2->setText(QLatin1String(g.heading2));
    Connection &db = SessionContext::current().db();
    for (AntibioticPanel *panel : m_panels) {
        const int list = panel->heading() == 1 ? g.list1 : g.list2;
        Recordset rs = db.query(Command("LABORATORY..Lab_Get_Microbiology '")
                                << QString::number(list) << "','" << QString(panel->letter()) << "'");
        panel->fill(rs);
    }
    m_shownGroup = group;
}

Command frmMicrobiology::resultQuery() const
{
    return storedReport(SessionContext::current().RequestNum);
}

void frmMicrobiology::fillNewResult(const QDateTime &today)
{
    ResultForm::fillNewResult(today);
}

void frmMicrobiology::fillResultFields(const Recordset &row)
{
    const auto f = [&](const char *column) { return row.field(QLatin1String(column)).toStringOr(); };
    ui->txtIsolate->setPlainText(f("Isolate"));
    setCheckGroup(m_check1, f("Culture"));
    setCheckGroup(m_chkSpecimen, f("PreSpecimen"));
    setCheckGroup(m_chkTest, f("PreTest"));
    ui->txtSite->setText(f("PreSite"));
    ui->txtSpecimenOther->setText(f("PreOther1"));
    ui->txtTestOther->setText(f("PreOther2"));
    ui->txtReport->setPlainText(f("PreReport"));
    setCheckGroup(m_chkSFinal, f("FinalSpecimen"));
    setCheckGroup(m_chkTFinal, f("FinalTest"));
    ui->txtFinalSite->setText(f("FinalSite"));
    ui->txtSOther->setText(f("FinalOther1"));
    ui->txtTOther->setText(f("FinalOther2"));
    ui->txtFinalReport->setPlainText(f("FinalReport"));
    ui->txtOthers->setText(f("Others"));
    const int stored = std::clamp(f("FormType").toInt(), 0, static_cast<int>(kGroups.size()) - 1);
    m_option1[stored]->setChecked(true);
    if (m_shownGroup != stored)
        showGroup(stored);

    SessionContext &s = SessionContext::current();
    const OrganismGroup &g = kGroups.at(static_cast<std::size_t>(stored));
    for (AntibioticPanel *panel : m_panels) {
        const int list = panel->heading() == 1 ? g.list1 : g.list2;
        Recordset rs = s.db().query(Command("LABORATORY..Lab_GetResultMicrobiology '")
                                    << s.RequestNum << "','3','" << QString::number(list) << "','"
                                    << QString(panel->letter()) << "',''");
        panel->choose(rs);
    }
}

QList<Command> frmMicrobiology::saveCommands(int, const SaveTexts &) const
{
    const QString &requestNum = SessionContext::current().RequestNum;
    QList<Command> commands;
    commands << (Command("DELETE FROM Laboratory..tbLABResultMicrobiology WHERE RequestNum = '") << requestNum << "'");
    Command report("LAB_Save_ResultMicrobiology '");
    report << requestNum << "', '" << ui->txtIsolate->toPlainText() << "', '" << checkGroupText(m_check1) << "', '"
           << checkGroupText(m_chkSpecimen) << "', '" << checkGroupText(m_chkTest) << "', '" << ui->txtSite->text()
           << "', '" << ui->txtSpecimenOther->text() << "', '" << ui->txtTestOther->text() << "', '"
           << ui->txtReport->toPlainText() << "', '" << checkGroupText(m_chkSFinal) << "', '"
           << checkGroupText(m_chkTFinal) << "', '" << ui->txtFinalSite->text() << "', '" << ui->txtSOther->text()
           << "', '" << ui->txtTOther->text() << "', '" << ui->txtFinalReport->toPlainText() << "', '"
           << QString::number(group()) << "', '" << ui->txtOthers->text() << "'";
    commands << report;
    const OrganismGroup &g = kGroups.at(static_cast<std::size_t>(group()));
    for (const AntibioticPanel *panel : m_panels) {
        const QString list = QString::number(panel->heading() == 1 ? g.list1 : g.list2);
        for (const ChosenAntibiotic &chosen : panel->chosen()) {
            commands << (Command("LABORATORY..LAB_Save_ResultMicrobiologyAdd '")
                         << requestNum << "', '" << list << "', '" << QString(panel->letter()) << "', '" << chosen.code
                         << "', '" << chosen.result << "'");
        }
    }
    return commands;
}

ReportRequest frmMicrobiology::report() const
{
    SessionContext &s = SessionContext::current();
    // What was saved decides which report prints.
    Recordset rs = s.db().query(storedReport(s.RequestNum));
    QString file = QStringLiteral("LabPrint_PreMicro.rpt");
    if (!rs.eof()) {
        const auto f = [&](const char *column) { return rs.field(QLatin1String(column)).toStringOr(); };
        file = reportFileFor(f("ResultS"), f("ResultI"), f("ResultR"), f("FinalReport"));
    }
    return {file, QStringLiteral("Microbiology"), {s.RequestNum, s.HospitalCompany, s.HospitalAddress}};
}

QString frmMicrobiology::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

void frmMicrobiology::addCultureDescription()
{
    const QString text = ui->txtSearch->text();
    Connection &db = SessionContext::current().db();
    Recordset found = db.query(Command("SELECT * FROM LABORATORY..tbLAB_BuildCulture WHERE [Description] = '")
                               << text << "'");
    if (!found.eof()) {
        MessageBox::show(QStringLiteral("Description already exist."), QStringLiteral("Message"),
                         QMessageBox::Information);
    } else if (MessageBox::show(QStringLiteral("Do you really want to add this description"), QStringLiteral("Message"),
                                QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
        db.execute(Command("INSERT INTO LABORATORY..tbLab_BuildCulture ([Description]) VALUES ('") << text << "')");
    }
    loadCultureList();
    searchCultureList(text);
    ui->txtSearch->setFocus();
}

void frmMicrobiology::searchCultureList(const QString &text)
{
    for (int row = 0; row < ui->grdOthers->rowCount(); ++row) {
        if (ui->grdOthers->item(row, 0)->text().startsWith(text, Qt::CaseInsensitive)) {
            ui->grdOthers->setCurrentCell(row, 0);
            ui->grdOthers->scrollToItem(ui->grdOthers->currentItem());
            return;
        }
    }
}

} // namespace corvane
