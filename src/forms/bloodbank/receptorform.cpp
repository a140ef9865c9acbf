#include "forms/bloodbank/receptorform.h"

#include "session/sessioncontext.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextEdit>

namespace corvane {

QString pathologistListName(const QString &first, const QString &middle, const QString &last)
{
    QString name = first.trimmed() + QLatin1Char(' ');
    if (!middle.isEmpty())
        name += middle.left(1) + QStringLiteral(". ");
    return name + QLatin1Char(' ') + last.trimmed() + QStringLiteral(", M.D.");
}

void ReceptorForm::loadHook()
{
    ResultForm::loadHook();
    auto *pathologists = findChild<QComboBox *>(QStringLiteral("cboPathologist"));
    Recordset rs = SessionContext::current().db().query(
        Command("SELECT FirstName, MiddleName, LastName FROM build_file.dbo.tbCoDoctor where specializationid = '84'"));
    for (; !rs.eof(); rs.moveNext())
        pathologists->addItem(pathologistListName(rs.field(QStringLiteral("FirstName")).toStringOr(),
                                                  rs.field(QStringLiteral("MiddleName")).toStringOr(),
                                                  rs.field(QStringLiteral("LastName")).toStringOr()));
    pathologists->setCurrentIndex(-1);
}

Command ReceptorForm::resultQuery() const
{
    return Command("LABORATORY..Lab_GetResultHistopath  '") << SessionContext::current().RequestNum << "'";
}

void ReceptorForm::fillStoredHeader(const Recordset &row)
{
    findChild<QLineEdit *>(QStringLiteral("txtAccNum"))->setText(row.field(QStringLiteral("SampleNum")).toStringOr());
    const auto pair = [&](const PickerPair &p, const char *column) {
        if (const Field f = row.field(QLatin1String(column)); !f.isNull())
            setPickerPair(p, f.toDateTime());
    };
    pair(kReport, "DateReported");
    pair(kSubmitted, "Submitted");
    pair(kLra, "LRALogbook");
    setPickerPair(kFinished, SessionContext::current().StoredResultHeader.DateFinished);
}

void ReceptorForm::fillResultFields(const Recordset &row)
{
    findChild<QTextEdit *>(QStringLiteral("rtfSpecimen"))->setPlainText(row.field(QStringLiteral("Specimen")).toStringOr());
    QStringList stored;
    for (int i = 1; i <= 9; ++i)
        stored << row.field(QStringLiteral("Result%1").arg(i)).toStringOr();
    showResults(stored);
    findChild<QComboBox *>(QStringLiteral("cboPathologist"))
        ->setCurrentText(row.field(QStringLiteral("Pathologist")).toStringOr());
}

Command ReceptorForm::saveCommand(int, const SaveTexts &texts) const
{
    Command c("LAB_Save_ResultHistopath '");
    c << SessionContext::current().RequestNum << "','" << findChild<QLineEdit *>(QStringLiteral("txtAccNum"))->text().trimmed()
      << "','" << texts.submitted << "','" << texts.finished << "','" << texts.report << "','" << texts.lra << "','"
      << findChild<QTextEdit *>(QStringLiteral("rtfSpecimen"))->toPlainText() << "','";
    for (const QString &value : results())
        c << value << "','";
    c << findChild<QComboBox *>(QStringLiteral("cboPathologist"))->currentText() << "'";
    return c;
}

ReportRequest ReceptorForm::report() const
{
    return {reportFile(), QStringLiteral("Histopath Result"), {SessionContext::current().RequestNum}};
}

QString ReceptorForm::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the CASE NO. first.");
}

bool ReceptorForm::keyHook(QObject *watched, QKeyEvent *key)
{
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && qobject_cast<QLineEdit *>(watched) && watched->objectName() != QLatin1String("txtAccNum")) {
        focusNextChild();
        return true;
    }
    return false;
}

void ReceptorForm::showChoice(QComboBox *combo, const QString &value)
{
    if (!value.isEmpty() && combo->findText(value) < 0)
        combo->addItem(value);
    combo->setCurrentIndex(combo->findText(value));
}

} // namespace corvane
