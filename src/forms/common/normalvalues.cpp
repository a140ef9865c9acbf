#include "forms/common/normalvalues.h"

#include "forms/chemistry/convertresult.h"
#include "session/sessioncontext.h"

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

namespace corvane {

namespace {

QString field(const Recordset &rs, const char *name)
{
    return rs.field(QLatin1String(name)).toStringOr();
}

void setShown(QWidget *w, bool shown)
{
    if (w)
        w->setVisible(shown);
}

} // namespace

NormalValueRoutines::NormalValueRoutines(NormalValueRows &rows, const NormalValueControls &controls)
    : m_rows(rows), m_controls(controls)
{
}

bool NormalValueRoutines::DetectAgeFormat()
{
    SessionContext &s = SessionContext::current();
    Connection &db = s.db();
    m_ageShown = false;
    for (int r = m_rows.firstRow(); r < m_rows.endRow() && !m_ageShown; ++r) {
        Recordset rs = db.query(Command("Select Laboratory.dbo.fn_LabIsAgeNValueFormat('") << m_rows.examCode(r)
                                                                                            << "') as IsAge");
        m_ageShown = !rs.eof() && rs.field(QStringLiteral("IsAge")).toBool();
    }
    setShown(m_controls.ageFrame, m_ageShown);
    QComboBox *cboAge = m_controls.cboAge;
    if (!m_ageShown || !cboAge)
        return m_ageShown;

    cboAge->clear();
    Recordset bands = db.query(Command("Lab_BF_GetAgeNValues '") << s.RequestRecord.code << "', ''");
    for (; !bands.eof(); bands.moveNext())
        cboAge->addItem(field(bands, "Age"));
    cboAge->setCurrentIndex(cboAge->count() > 0 ? 0 : -1);
    for (int r = m_rows.firstRow(); r < m_rows.endRow(); ++r) {
        Recordset rs = db.query(Command("Lab_GetAgeCode '") << m_rows.formType(r) << "'");
        if (!rs.eof()) {
            const int i = cboAge->findText(rs.field(0).toStringOr().trimmed());
            if (i >= 0)
                cboAge->setCurrentIndex(i);
        }
    }
    reloadByAge();
    return true;
}

void NormalValueRoutines::reloadByAge()
{
    for (int r = m_rows.firstRow(); r < m_rows.endRow(); ++r)
        LoadNormalValuesByAge(m_rows.examCode(r), r);
}

void NormalValueRoutines::LoadNormalValuesByAge(const QString &code, int row)
{
    const int band = m_controls.cboAge ? m_controls.cboAge->currentIndex() + 1 : 0;
    Recordset rs = SessionContext::current().db().query(Command("Lab_BF_GetAgeNValues '")
                                                        << code << "', '" << QString::number(band) << "'");
    if (rs.eof())
        return;
    m_rows.setAgeRange(row, {field(rs, "RangeValue"), field(rs, "MinValue"), field(rs, "MaxValue"), field(rs, "Unit"),
                             field(rs, "CRangeValue"), field(rs, "CMinValue"), field(rs, "CMaxValue"),
                             field(rs, "ConversionUnit"), field(rs, "ConversionFactor")});
}

// A stored result keeps the normal value it was judged by; the list only shows its method until the
// technologist chooses another.
bool NormalValueRoutines::DetectReagentFormat(bool storedResult)
{
    SessionContext &s = SessionContext::current();
    Connection &db = s.db();
    m_methodShown = false;
    for (int r = m_rows.firstRow(); r < m_rows.endRow() && !m_methodShown; ++r) {
        Recordset rs = db.query(Command("Select Laboratory.dbo.fn_LabIsReagentNValueFormat('")
                                << m_rows.examCode(r) << "') as IsReagent");
        m_methodShown = !rs.eof() && rs.field(QStringLiteral("IsReagent")).toBool();
    }
    setShown(m_controls.cboMethod, m_methodShown);
    setShown(m_controls.methodCaption, m_methodShown);
    QComboBox *cboMethod = m_controls.cboMethod;
    if (!m_methodShown || !cboMethod)
        return m_methodShown;

    cboMethod->clear();
    Recordset list = db.query(Command("Lab_BF_SearchReagentNValues '") << s.RequestRecord.code << "'");
    for (; !list.eof(); list.moveNext())
        cboMethod->addItem(field(list, "Reagent") + QString(100, QLatin1Char(' ')) + field(list, "ReagentCode"));
    int chosen = -1;
    const QString storedMethod = m_controls.txtMethod ? m_controls.txtMethod->text().trimmed() : QString();
    for (int i = 0; storedResult && i < cboMethod->count(); ++i) {
        if (!storedMethod.isEmpty() && cboMethod->itemText(i).trimmed().startsWith(storedMethod))
            chosen = i;
    }
    for (int r = m_rows.firstRow(); r < m_rows.endRow() && chosen < 0; ++r) {
        Recordset rs = db.query(Command("Lab_GetReagentCode '") << m_rows.formType(r) << "'");
        if (rs.eof())
            continue;
        const QString code = rs.field(0).toStringOr().trimmed();
        for (int i = 0; i < cboMethod->count(); ++i) {
            if (reagentKey(cboMethod->itemText(i)) == code)
                chosen = i;
        }
    }
    // Without a stored or default method the first is taken, so the ranges follow the patient's sex.
    cboMethod->setCurrentIndex(chosen >= 0 ? chosen : (cboMethod->count() > 0 ? 0 : -1));
    if (storedResult)
        return true;
    takeMethodFromList();
    reloadByReagent();
    return true;
}

void NormalValueRoutines::takeMethodFromList()
{
    QLineEdit *txt = m_controls.txtMethod;
    QComboBox *cbo = m_controls.cboMethod;
    if (txt && cbo && txt->text().trimmed().isEmpty() && cbo->currentIndex() >= 0)
        txt->setText(cbo->currentText().trimmed().chopped(5).trimmed());
}

void NormalValueRoutines::methodChosen()
{
    if (m_controls.txtMethod)
        m_controls.txtMethod->clear();
    takeMethodFromList();
    reloadByReagent();
}

void NormalValueRoutines::reloadByReagent()
{
    for (int r = m_rows.firstRow(); r < m_rows.endRow(); ++r)
        LoadNormalValuesByReagent(m_rows.examCode(r), r);
}

void NormalValueRoutines::LoadNormalValuesByReagent(const QString &code, int row)
{
    const bool analyser = !m_analyserReagent.trimmed().isEmpty();
    const QString item = m_controls.cboMethod ? m_controls.cboMethod->currentText() : QString();
    const QString key = reagentKey(item, m_analyserReagent);
    SessionContext &s = SessionContext::current();
    Recordset rs = s.db().query(Command("Lab_BF_GetReagentNValues '") << code << "', '" << key << "'");
    if (rs.eof())
        return;
    const bool female = reagentRangeSex(s.RequestRecord.Sex, analyser) == RangeSex::Female;
    m_rows.setReagentRange(row, field(rs, female ? "feMaleminvalue" : "Maleminvalue"),
                           field(rs, female ? "feMaleMaxVAlue" : "MaleMaxVAlue"), field(rs, "SIUnit"));
}

} // namespace corvane
