#include "forms/packages/packagepages.h"

#include "ui_bloodcountpage.h"
#include "ui_stoolpage.h"
#include "ui_urinalysispage.h"

namespace corvane {

BloodCountPage::BloodCountPage(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::BloodCountPage>())
{
    ui->setupUi(this);
}

BloodCountPage::~BloodCountPage() = default;

void BloodCountPage::showPanelRows(bool shown)
{
    for (int i = 16; i <= 20; ++i) {
        for (const char *array : {"lblResult_%1", "txtResult_%1", "txtNValue_%1"}) {
            if (auto *w = findChild<QWidget *>(QString::fromLatin1(array).arg(i)))
                w->setVisible(shown);
        }
    }
}

UrinalysisPage::UrinalysisPage(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::UrinalysisPage>())
{
    ui->setupUi(this);
}

UrinalysisPage::~UrinalysisPage() = default;

StoolPage::StoolPage(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::StoolPage>())
{
    ui->setupUi(this);
}

StoolPage::~StoolPage() = default;

} // namespace corvane
