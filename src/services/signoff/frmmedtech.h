#pragma once
// The sign-off dialog: after a result is saved, the performing med tech (and, when verifying,
// the verifier and the pathologist) sign it, and the paper size of the report is chosen.
// cmdFinish records and lets the screen print; FlatBttn1 records without printing.
//
// One shared instance serves every screen and keeps its properties from one use to the next.
// Each opening re-reads the request's signers; the signers found and the state of the controls
// belong to that opening only, so nothing of one request reaches the next.
//
// Verify: a screen sets it for Verify and Print and never clears it. So that a later plain save
// cannot record a verifier by accident, it holds for one opening only: closing the dialog, however
// it closes, clears it. And an opening whose verifier fields the screen hid (the save sign-off) is
// never a verification, even when Verify is still set from a verification whose save failed
// before the dialog was shown.
//
// Closing the window without finishing records nothing and counts as cancelled: the screen then
// does not print an unsigned result. A med tech's name typed over the chosen one drops the chosen
// code, so the name shown is always the one recorded.

#include "services/lookups/dialogsupport.h"

#include <QDialog>
#include <QString>

#include <memory>

class QLineEdit;

namespace Ui {
class frmMedTech;
}

namespace corvane {

class Recordset;

class frmMedTech : public QDialog {
    Q_OBJECT

public:
    // The one instance every screen uses, created on first use (on the GUI thread).
    static frmMedTech &shared();

    explicit frmMedTech(QWidget *parent = nullptr);
    ~frmMedTech() override;

    void setRequestNum(const QString &requestNum) { m_requestNum = requestNum; }
    void setVerify(bool verify) { m_verify = verify; }
    void setNewFormat(bool newFormat) { m_newFormat = newFormat; }
    // Kept as the text "True" / "False"; "True" makes the paper-size frame visible.
    void setShowPaperSizeOption(bool show)
    {
        m_showPaperSizeOption = show ? QStringLiteral("True") : QStringLiteral("False");
    }
    QString ShowPaperSizeOption() const { return m_showPaperSizeOption; }
    // Overrides the request's default pathologist when not blank.
    void setPathologist(const QString &pathologist) { m_pathologist = pathologist; }
    QString Pathologist() const { return m_pathologist; }
    // "H" half page, "W" whole page, "N" new format.
    void setPaperSize(const QString &paperSize) { m_paperSize = paperSize; }
    QString PaperSize() const { return m_paperSize; }
    void setCancel(bool cancel) { m_cancelled = cancel; }
    // "True" or "False".
    QString Cancelled() const { return m_cancelled ? QStringLiteral("True") : QStringLiteral("False"); }

    // The save sign-off's step: the verifier's box, its search button and caption go away.
    void hideVerifier();
    // A pathologist's sign-off: both technologist entries and their captions go away.
    void hideMedTechs();

    // The opening steps: who signs, the default pathologist, the paper size and the height.
    void Form_Load();
    // Form_Load, the dialog modally through the UI seam, then back to a closed state. A failing
    // command, in the opening or while the dialog runs, is raised here.
    int runModal();

    // The signers this opening has taken.
    QString MedTechID() const { return m_medTechID; }
    QString MedTechName() const { return m_medTechName; }
    QString MedTechLicense() const { return m_medTechLicense; }
    QString VerifyID() const { return m_verifyID; }
    // Whether finishing now would record a verification.
    bool isVerifying() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void reject() override;

private:
    enum class Role { MedTech, Verifier };

    void take(Role role, Recordset rs, const char *codeColumn);
    void display(Role role);
    void searchMedTech(Role role);
    void searchPathologist();
    bool checkTaken(Role role);
    void finish(bool print);
    void unload();
    QLineEdit *box(Role role) const;

    std::unique_ptr<Ui::frmMedTech> ui;
    ModalErrorTrap m_errors;

    QString m_requestNum;
    bool m_verify = false;
    bool m_newFormat = false;
    QString m_showPaperSizeOption;
    QString m_pathologist;
    QString m_paperSize;
    bool m_cancelled = false;

    QString m_medTechID;
    QString m_medTechName;
    QString m_medTechLicense;
    QString m_verifyID;
    QString m_verifyName;
    QString m_verifyLicense;
    bool m_closing = false;
};

} // namespace corvane
