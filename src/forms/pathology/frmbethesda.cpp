#include "forms/pathology/frmbethesda.h"

#include "ui_frmbethesda.h"

#include "services/ui/messagebox.h"

#include "forms/pathology/frmhistopath.h"
#include "forms/pathology/frmpapsmear.h"
#include "session/sessioncontext.h"

namespace corvane {

namespace {
constexpr double kScreenTop = 2700; // twips
} // namespace

frmBethesda::frmBethesda(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::frmBethesda>())
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmBethesda"));
    setModal(true);
    ui->optChoice_0->setChecked(true);
    connect(ui->cmdUse, &QPushButton::clicked, this, [this] { m_errors.run(*this, [this] { use(); }); });
}

frmBethesda::~frmBethesda() = default;

void frmBethesda::setTop(int pixels)
{
    move(x(), pixels);
}

void frmBethesda::setLeft(int pixels)
{
    move(pixels, y());
}

int frmBethesda::showModal()
{
    const int result = corvane::showModal(*this);
    m_errors.rethrow();
    return result;
}

void frmBethesda::use()
{
    // The screen reads the format from the request; "Cytology Form Format" also takes the
    // histopathology screen.
    RequestRecord &request = SessionContext::current().RequestRecord;
    std::unique_ptr<ResultForm> screen;
    if (ui->optChoice_0->isChecked()) {
        request.ValueType = QStringLiteral("P");
        screen = std::make_unique<frmPapsmear>();
    } else {
        request.ValueType = QStringLiteral("H");
        screen = std::make_unique<frmHistopath>();
    }
    hide();
    screen->setTop(twipsToPixelsY(*this, kScreenTop));
    screen->setLeft(0);
    screen->Fill_Results();
    screen->showModal();
    accept();
}

} // namespace corvane
