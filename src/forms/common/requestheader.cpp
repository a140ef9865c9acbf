#include "forms/common/requestheader.h"

#include "ui_requestheader.h"

#include "session/sessioncontext.h"

namespace corvane {

RequestHeader::RequestHeader(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::RequestHeader>())
{
    ui->setupUi(this);
}

RequestHeader::~RequestHeader() = default;

void RequestHeader::show(const SessionContext &session)
{
    const RequestRecord &r = session.RequestRecord;
    const auto join = [](const QString &a, const QString &b) {
        return a.trimmed().isEmpty() ? b : b.trimmed().isEmpty() ? a : a + QStringLiteral(" / ") + b;
    };
    ui->lblRequestNum->setText(session.RequestNum.trimmed());
    ui->lblPatientName->setText(r.PatientName);
    ui->lblHospNum->setText(r.HospNum);
    ui->lblAgeSex->setText(join(r.Age, r.Sex));
    ui->lblRoomWard->setText(join(r.RoomID, r.Ward));
    ui->lblDoctor->setText(r.Doctor);
    ui->lblExamName->setText(r.ExamName);
    ui->lblSpecimen->setText(r.Specimen);
    ui->lblRequestDate->setText(r.requestdate.isValid() ? r.requestdate.toString(QStringLiteral("MM/dd/yyyy")) : QString());
}

} // namespace corvane
