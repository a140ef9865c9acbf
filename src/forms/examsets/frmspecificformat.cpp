#include "forms/examsets/frmspecificformat.h"

#include "ui_frmspecificformat.h"

#include <controls/examentry.h>

namespace corvane {

frmSpecificFormat::frmSpecificFormat(QWidget *parent)
    : ExamSetForm(QStringLiteral("frmSpecificFormat"), parent), ui(std::make_unique<Ui::frmSpecificFormat>())
{
    ui->setupUi(this);
    initExamSet();
}

frmSpecificFormat::~frmSpecificFormat() = default;

void frmSpecificFormat::setupByFormat()
{
    list().setFixedColumns({800, 4000, 5000});
    if (list().count() > 0)
        list().setCurrentLine(0);
}

QString frmSpecificFormat::progressCaption(int) const
{
    return QStringLiteral("Saving Result ...");
}

} // namespace corvane
