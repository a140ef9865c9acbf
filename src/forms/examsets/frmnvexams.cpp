#include "forms/examsets/frmnvexams.h"

#include "ui_frmnvexams.h"

#include "services/signoff/frmmedtech.h"
#include "session/sessioncontext.h"

#include <controls/examentry.h>

#include <QLineEdit>

namespace corvane {

namespace {

const QString kNegative = QStringLiteral("NEGATIVE");
const QString kPositive = QStringLiteral("POSITIVE");
const QString kNoneSeen = QStringLiteral("NONE SEEN");

} // namespace

frmNVExams::frmNVExams(QWidget *parent) : ExamSetForm(QStringLiteral("frmNVExams"), parent), ui(std::make_unique<Ui::frmNVExams>())
{
    ui->setupUi(this);
    initExamSet();
}

frmNVExams::~frmNVExams() = default;

void frmNVExams::setupByFormat()
{
    const RequestRecord &r = SessionContext::current().RequestRecord;
    const QString type = r.FormType.trimmed();
    ui->chkFinal->setVisible(type == QLatin1String("6"));
    if (type == QLatin1String("4"))
        list().setFixedColumns({800, 4000, 5000});
    if (type == QLatin1String("8"))
        list().setColWidth(ExamEntry::ColNormalValue, 2600); // method ranges are written out in full
    if (type == QLatin1String("A") || type == QLatin1String("7") ||
        (type == QLatin1String("P") && r.ValueType.trimmed() == QLatin1String("7")))
        useAgeRanges();

    bool codes = false;
    for (int i = 0; i < list().count() && !codes; ++i)
        codes = takesResultCodes(i);
    ui->lblResult->setText(codes ? QStringLiteral("F1 NEGATIVE   F2 NONE SEEN   F3 POSITIVE   F4 clear")
                                 : QStringLiteral("F1 NEGATIVE   F2 POSITIVE"));
    if (list().count() > 0)
        list().setCurrentLine(0);
}

bool frmNVExams::takesResultCodes(int line) const
{
    const QString code = list().line(line).code.trimmed();
    return code == QLatin1String("39") || code == QLatin1String("40");
}

QString frmNVExams::progressCaption(int line) const
{
    return QStringLiteral("Saving ") + list().line(line).exam + QStringLiteral("...");
}

// Numeric lines take digits, one decimal point, and "<" or ">" for results beyond the range.
bool frmNVExams::acceptsCharacter(int line, QChar c) const
{
    if (!isNumericLine(line))
        return true;
    if (!QStringLiteral("1234567890.<>").contains(c))
        return false;
    if (c != QLatin1Char('.'))
        return true;
    const QLineEdit *box = list().entryBox(line);
    QString kept = box->text();
    if (box->hasSelectedText())
        kept.remove(box->selectionStart(), box->selectedText().size());
    return !kept.contains(QLatin1Char('.'));
}

bool frmNVExams::lineKeyDown(int line, int keyCode)
{
    QString word;
    if (takesResultCodes(line)) {
        switch (keyCode) {
        case Qt::Key_F1: word = kNegative; break;
        case Qt::Key_F2: word = kNoneSeen; break;
        case Qt::Key_F3: word = kPositive; break;
        case Qt::Key_F4: break; // clears the line
        default: return false;
        }
        ui->lblResult->setText(word.isEmpty() ? QStringLiteral("(cleared)") : word);
    } else if (keyCode == Qt::Key_F1) {
        word = kNegative;
    } else if (keyCode == Qt::Key_F2) {
        word = kPositive;
    } else {
        return false;
    }
    list().setEntry(line, word);
    moveOn(line);
    return true;
}

void frmNVExams::prepareSignOff(frmMedTech &signOff)
{
    signOff.setShowPaperSizeOption(true);
}

} // namespace corvane
