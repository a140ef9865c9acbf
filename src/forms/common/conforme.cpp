#include "forms/common/conforme.h"

#include "services/lookups/frmsearchpatho.h"
#include "session/sessioncontext.h"

#include <QCheckBox>
#include <QLineEdit>

namespace corvane {

QString conformeDisplayName(const QString &first, const QString &middle, const QString &last, bool lastIsNull)
{
    QString name = first;
    if (!lastIsNull)
        name += QLatin1Char(' ') + middle.trimmed().left(1) + QStringLiteral(". ") + last;
    return name + QStringLiteral(", M.D.");
}

QString checkValue(const QCheckBox *box)
{
    return box && box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

Conforme::Conforme(QWidget &screen)
    : m_screen(screen), m_box(screen.findChild<QCheckBox *>(QStringLiteral("chkConforme"))),
      m_signature(screen.findChild<QCheckBox *>(QStringLiteral("chkScannedSignature"))),
      m_pathologist(screen.findChild<QLineEdit *>(QStringLiteral("txtPathologist")))
{
    if (m_pathologist)
        m_pathologist->hide();
}

void Conforme::showStored(const QString &conforme, const QString &pathologist, const QString &signature)
{
    if (!m_box)
        return;
    if (conforme.trimmed().isEmpty() || conforme.trimmed().toInt() == 0) {
        m_box->setChecked(false);
    } else {
        m_loading = true;
        m_box->setChecked(true);
        m_pathologist->setText(pathologist);
        m_pathologist->show();
        m_loading = false;
    }
    if (m_signature)
        m_signature->setChecked(!signature.trimmed().isEmpty() && signature.trimmed().toInt() != 0);
}

void Conforme::load(const QString &requestNum)
{
    Recordset rs = SessionContext::current().db().query(Command("Lab_Get_Conforme '") << requestNum << "'");
    if (rs.eof())
        showStored(QString(), QString(), QString());
    else
        showStored(rs.field(QStringLiteral("Conforme")).toStringOr(),
                   rs.field(QStringLiteral("ConPathologist")).toStringOr(),
                   rs.field(QStringLiteral("Signature")).toStringOr());
}

void Conforme::toggled(bool checked)
{
    if (!checked) {
        m_pathologist->clear();
        m_pathologist->hide();
        return;
    }
    if (m_loading)
        return;
    Connection &db = SessionContext::current().db();
    frmSearchPatho search(db, &m_screen);
    search.setIsPathologist(QStringLiteral("True"));
    search.setSearchText(QString());
    search.runModal();
    const QString code = search.ResultCode().trimmed();
    if (code.isEmpty()) {
        m_box->setChecked(false);
        return;
    }
    Recordset rs = db.query(Command("SELECT * FROM BUILD_FILE..tbCoDoctor WHERE DoctorID = '") << code << "'");
    if (rs.eof())
        return;
    const Field last = rs.field(QStringLiteral("LastName"));
    m_pathologist->setText(conformeDisplayName(rs.field(QStringLiteral("FirstName")).toStringOr(),
                                               rs.field(QStringLiteral("Middlename")).toStringOr(),
                                               last.toStringOr(), last.isNull()));
    rs.close();
    m_pathologist->show();
}

QString Conforme::conformeValue() const
{
    return checkValue(m_box);
}

QString Conforme::signatureValue() const
{
    return checkValue(m_signature);
}

QString Conforme::pathologist() const
{
    return m_pathologist ? m_pathologist->text() : QString();
}

Command Conforme::saveCommand(const QString &requestNum) const
{
    return Command("laboratory..Lab_Save_Conforme '") << requestNum << "','" << conformeValue() << "','"
                                                      << signatureValue() << "','" << pathologist() << "'";
}

} // namespace corvane
