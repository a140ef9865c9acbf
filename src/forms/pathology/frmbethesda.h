#pragma once
// "Paps Smear Form Choices": the dispatch opens it for Pap smear exams; it opens the Bethesda
// screen, or the histopathology screen for the other two formats.

#include "host/resultscreen.h"
#include "services/lookups/dialogsupport.h"

#include <QDialog>

#include <memory>

namespace Ui {
class frmBethesda;
}

namespace corvane {

class frmBethesda : public QDialog, public ResultScreen {
    Q_OBJECT

public:
    explicit frmBethesda(QWidget *parent = nullptr);
    ~frmBethesda() override;

    void setTop(int pixels) override;
    void setLeft(int pixels) override;
    // The chooser has nothing stored; the screen it opens fills itself.
    void Fill_Results() override {}
    int showModal() override;

private:
    void use();

    std::unique_ptr<Ui::frmBethesda> ui;
    ModalErrorTrap m_errors;
};

} // namespace corvane
