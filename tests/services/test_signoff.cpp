// The sign-off dialog and its med-tech listing, driven by keys and clicks, with what they record
// read back from the database.

#include "support/demosession.h"
#include "support/dialogscript.h"

#include "services/signoff/frmlistmedtech.h"
#include "services/signoff/frmmedtech.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

using corvane::frmMedTech;
using testsupport::control;
using testsupport::textOf;

namespace {

const QString kRequest = QStringLiteral("R2603001"); // APTT, hematology: section head 1002

QString field(corvane::Recordset rs, const char *name)
{
    return rs.eof() ? QStringLiteral("<no row>") : rs[QString::fromLatin1(name)].toStringOr();
}

void click(QDialog &d, const char *button)
{
    QTest::mouseClick(control<QPushButton>(d, button), Qt::LeftButton);
}
void finish(QDialog &d)
{
    click(d, "cmdFinish");
}

class SignOffTest : public testsupport::DemoSessionTest {
protected:
    void SetUp() override
    {
        DemoSessionTest::SetUp();
        if (db)
            dialog = std::make_unique<frmMedTech>();
    }
    void TearDown() override
    {
        dialog.reset();
        DemoSessionTest::TearDown();
    }

    // One sign-off as a screen runs it: a save hides the verifier, Verify and Print set Verify.
    int signOff(bool withVerifier, testsupport::DialogScript::Script steps)
    {
        sent.clear();
        if (withVerifier)
            dialog->setVerify(true);
        dialog->setRequestNum(kRequest);
        if (!withVerifier)
            dialog->hideVerifier();
        script.expect(QStringLiteral("frmMedTech"), std::move(steps));
        return dialog->runModal();
    }
    QString signOffColumn(const char *column)
    {
        return field(query(QStringLiteral("select * from laboratory..tbLabResultMedTech where RequestNum = '%1'")
                               .arg(kRequest)),
                     column);
    }

    testsupport::DialogScript script;
    std::unique_ptr<frmMedTech> dialog;
};

TEST_P(SignOffTest, ASaveSignOffRecordsTheSignedInMedTech)
{
    const int result = signOff(false, [](QDialog &d) {
        EXPECT_EQ(textOf(d, "txtMedTech"), QStringLiteral("Navarro, Paolo Miguel Cruz, RMT"));
        EXPECT_EQ(textOf(d, "txtPathologist"), QStringLiteral("Antonio C. Villanueva, M.D."));
        EXPECT_FALSE(control<QLineEdit>(d, "txtVerified")->isVisible());
        EXPECT_FALSE(control<QLabel>(d, "lblVerified")->isVisible());
        finish(d);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog->Cancelled(), QStringLiteral("False"));
    EXPECT_EQ(sent, (QStringList{
                        QStringLiteral("LABORATORY..Lab_GetSelectedMedtech 'R2603001'"),
                        QStringLiteral("LABORATORY..Lab_GetSelectedMedtech_New '0102'"),
                        QStringLiteral("LABORATORY..Lab_GetVerifiedMedtech 'R2603001'"),
                        QStringLiteral("Lab_GetDefaultPatho 'R2603001'"),
                        QStringLiteral("LABORATORY..Lab_UpdateMedTech 'R2603001','0102','Antonio C. Villanueva, M.D.'"),
                    }));
    EXPECT_EQ(signOffColumn("MedTechID"), QStringLiteral("0102"));
    EXPECT_EQ(signOffColumn("VerifiedBy"), QString());
    EXPECT_EQ(signOffColumn("Pathologist"), QStringLiteral("Antonio C. Villanueva, M.D."));
    EXPECT_EQ(field(query(QStringLiteral("LABORATORY..Lab_GetSelectedMedtech 'R2603001'")), "MedTech"),
              QStringLiteral("Navarro, Paolo Miguel Cruz"));
}

TEST_P(SignOffTest, AVerifyingSignOffRecordsMedTechVerifierAndPathologist)
{
    execute(QStringLiteral("Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603001', '', '0102','03/07/2026 2:05 PM', "
                           "'03/07/2026 2:45 PM','ACC-1'"));
    signOff(false, finish);

    ctx.EmployeeCode = QStringLiteral("0101");
    script.expect(QStringLiteral("frmSearchPatho"), [](QDialog &d) {
        auto *grid = control<QTableWidget>(d, "grdResults");
        QTest::keyClick(grid, Qt::Key_Down); // Lim, Santos, Villanueva
        QTest::keyClick(grid, Qt::Key_Return);
    });
    const int result = signOff(true, [](QDialog &d) {
        // The request's med tech stays; the verifier is the one signed in.
        EXPECT_EQ(textOf(d, "txtMedTech"), QStringLiteral("Navarro, Paolo Miguel Cruz, RMT"));
        EXPECT_EQ(textOf(d, "txtVerified"), QStringLiteral("Castillo, Liza Marie Santos, RMT"));
        click(d, "cmdPathologist");
        EXPECT_EQ(textOf(d, "txtPathologist"), QStringLiteral("Maria Luisa R. Santos, M.D."));
        EXPECT_EQ(textOf(d, "txtPathologistID"), QStringLiteral("1001"));
        click(d, "FlatBttn1");
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog->Cancelled(), QStringLiteral("True")) << "signed, but not to be printed";
    EXPECT_EQ(sent, (QStringList{
                        QStringLiteral("LABORATORY..Lab_GetSelectedMedtech 'R2603001'"),
                        QStringLiteral("LABORATORY..Lab_GetVerifiedMedtech 'R2603001'"),
                        QStringLiteral("LABORATORY..Lab_GetVerifiedMedtech_new '0101'"),
                        QStringLiteral("Lab_GetDefaultPatho 'R2603001'"),
                        QStringLiteral("Lab_SearchDoctor '2', ''"),
                        QStringLiteral("SELECT * FROM BUILD_FILE..tbCoDoctor WHERE DoctorID = '1001'"),
                        QStringLiteral("LABORATORY..Lab_UpdateVerified 'R2603001','0102','0101','Maria Luisa R. "
                                       "Santos, M.D.'"),
                        QStringLiteral("LABORATORY..Lab_UpdateMedTech 'R2603001','0102','Maria Luisa R. Santos, M.D.'"),
                    }));
    EXPECT_EQ(signOffColumn("MedTechID"), QStringLiteral("0102"));
    EXPECT_EQ(signOffColumn("VerifiedBy"), QStringLiteral("0101"));
    EXPECT_NE(signOffColumn("VerifiedAt"), QString());
    EXPECT_EQ(field(query(QStringLiteral("select * from laboratory..tblablogbook where requestnum = 'R2603001'")),
                    "VerifiedBy"),
              QStringLiteral("0101"));
    // The next opening defaults to the pathologist who signed.
    EXPECT_EQ(field(query(QStringLiteral("Lab_GetDefaultPatho 'R2603001'")), "SECTIONHEAD"),
              QStringLiteral("Maria Luisa R. Santos, M.D."));
}

TEST_P(SignOffTest, VerifyNeverOutlivesOneOpening)
{
    const auto updates = [this] { return sent.filter(QStringLiteral("Lab_UpdateVerified")).size(); };
    signOff(false, finish);
    signOff(true, finish);
    EXPECT_EQ(updates(), 1);

    // No screen clears Verify; the next sign-off, even with the verifier in view, only saves.
    sent.clear();
    dialog->setRequestNum(kRequest);
    script.expect(QStringLiteral("frmMedTech"), finish);
    dialog->runModal();
    EXPECT_EQ(updates(), 0);
    EXPECT_TRUE(sent.contains(
        QStringLiteral("LABORATORY..Lab_UpdateMedTech 'R2603001','0102','Antonio C. Villanueva, M.D.'")));

    // Verify set by a Verify button whose save then failed: the save sign-off after it hides the
    // verifier, and records none.
    ctx.EmployeeCode = QStringLiteral("0103");
    dialog->setVerify(true);
    signOff(false, finish);
    EXPECT_EQ(updates(), 0);
    EXPECT_TRUE(sent.contains(QStringLiteral("LABORATORY..Lab_GetSelectedMedtech_New '0103'")))
        << "a save sign-off takes the signed-in med tech";
    EXPECT_TRUE(sent.filter(QStringLiteral("Lab_GetVerifiedMedtech_new")).isEmpty());
    EXPECT_EQ(signOffColumn("MedTechID"), QStringLiteral("0103"));
}

TEST_P(SignOffTest, TheKeyboardAloneSignsAVerification)
{
    signOff(false, finish);
    dialog->setShowPaperSizeOption(true);
    const int result = signOff(true, [](QDialog &d) {
        const char *const chain[] = {"txtVerified", "txtPathologist", "cmdPathologist", "optPaperSize_0",
                                     "cmdFinish", "FlatBttn1"};
        EXPECT_EQ(QApplication::focusWidget(), control<QLineEdit>(d, "txtMedTech"));
        for (const char *next : chain) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget()->objectName(), QString::fromLatin1(next));
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog->Cancelled(), QStringLiteral("True"));
    EXPECT_TRUE(script.seam().messages().isEmpty());
    EXPECT_EQ(signOffColumn("VerifiedBy"), QStringLiteral("0102"));
}

TEST_P(SignOffTest, AShortNameShowsAnEmptyBoxButIsStillRecorded)
{
    execute(QStringLiteral("INSERT INTO laboratory..tbLabEmployee (EmployeeCode, LastName, FirstName, MiddleName, "
                           "License, IsMedTech, Position, Status) VALUES ('0107', 'O', '', '', '', 1, 'MT', 'A')"));
    ctx.EmployeeCode = QStringLiteral("0107");
    signOff(false, [](QDialog &d) {
        EXPECT_EQ(textOf(d, "txtMedTech"), QString());
        finish(d);
    });
    EXPECT_EQ(dialog->Cancelled(), QStringLiteral("False"));
    EXPECT_EQ(signOffColumn("MedTechID"), QStringLiteral("0107"));
}

TEST_P(SignOffTest, EnterInTheMedTechBoxSearchesTheListing)
{
    const int result = signOff(false, [this](QDialog &d) {
        auto *box = control<QLineEdit>(d, "txtMedTech");
        box->clear();
        QTest::keyClicks(box, QStringLiteral("fer"));
        script.expect(QStringLiteral("frmListMedTech"), [](QDialog &list) {
            auto *grid = control<QTableWidget>(list, "grdDispWindow");
            EXPECT_EQ(grid->horizontalHeaderItem(5)->text(), QStringLiteral("License#"));
            ASSERT_EQ(grid->rowCount(), 1);
            EXPECT_EQ(grid->item(0, 5)->text(), QStringLiteral("0062340"));
            QTest::keyClick(grid, Qt::Key_Return);
        });
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_TRUE(d.isVisible()) << "Enter searches; it does not finish";
        EXPECT_EQ(box->text(), QStringLiteral("Fernandez, Jessa Mae Ocampo, RMT"));
        finish(d);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(sent.contains(QStringLiteral("LABORATORY..Lab_SearchMedTech 'fer'")));
    EXPECT_EQ(dialog->MedTechID(), QString()) << "the opening's signers go with it";
    EXPECT_EQ(signOffColumn("MedTechID"), QStringLiteral("0103"));
}

TEST_P(SignOffTest, ANameNotTakenFromTheListingCannotLeaveTheBox)
{
    const int result = signOff(false, [this](QDialog &d) {
        auto *box = control<QLineEdit>(d, "txtMedTech");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClicks(box, QStringLiteral("x")); // typed over the chosen name: no longer that med tech
        script.expect(QStringLiteral("frmListMedTech"), [](QDialog &list) {
            QTest::keyClick(control<QTableWidget>(list, "grdDispWindow"), Qt::Key_Escape);
        });
        QTest::keyClick(box, Qt::Key_Enter);
        EXPECT_EQ(box->text(), QStringLiteral("Navarro, Paolo Miguel Cruz, RMTx")) << "nothing chosen: text kept";

        QTest::keyClick(box, Qt::Key_Tab);
        const auto &shown = script.seam().messages();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].request.text, QStringLiteral("You must select MedTech Name from the listing."));
        EXPECT_EQ(shown[0].request.title, QStringLiteral("Warning"));
        EXPECT_EQ(box->text(), QString());
        EXPECT_TRUE(box->hasFocus());

        finish(d); // still nobody to record
        EXPECT_EQ(script.seam().messages().size(), 2);
        EXPECT_TRUE(d.isVisible());
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(dialog->Cancelled(), QStringLiteral("True")) << "closed unsigned: nothing to print";
    EXPECT_TRUE(sent.filter(QStringLiteral("Lab_Update")).isEmpty());
    EXPECT_EQ(signOffColumn("MedTechID"), QStringLiteral("<no row>"));
}

TEST_P(SignOffTest, PaperSizeOptionAndItsCodes)
{
    signOff(false, [](QDialog &d) {
        EXPECT_FALSE(control<QGroupBox>(d, "fraPaperSize")->isVisible());
        finish(d);
    });
    EXPECT_EQ(dialog->ShowPaperSizeOption(), QStringLiteral("False")) << "never set becomes False";
    EXPECT_EQ(dialog->PaperSize(), QStringLiteral("H"));

    dialog->setShowPaperSizeOption(true);
    for (const auto &[newFormat, option, code] : {std::tuple{true, "optPaperSize_1", "W"},
                                                  std::tuple{true, "optPaperSize_2", "N"},
                                                  std::tuple{false, "optPaperSize_0", "H"}}) {
        dialog->setNewFormat(newFormat);
        signOff(false, [&](QDialog &d) {
            EXPECT_TRUE(control<QGroupBox>(d, "fraPaperSize")->isVisible());
            EXPECT_EQ(control<QRadioButton>(d, "optPaperSize_2")->isVisible(), newFormat);
            QTest::mouseClick(control<QRadioButton>(d, option), Qt::LeftButton);
            finish(d);
        });
        EXPECT_EQ(dialog->PaperSize(), QString::fromLatin1(code)) << option;
    }
}

TEST_P(SignOffTest, AFailingCommandReachesTheCaller)
{
    dialog->setRequestNum(QStringLiteral("R9999999"));
    dialog->hideVerifier();
    script.expect(QStringLiteral("frmMedTech"), finish);
    try {
        dialog->runModal();
        FAIL() << "signed a request that does not exist";
    } catch (const corvane::DatabaseError &e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("R9999999"))) << e.what();
    }
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(control<QLineEdit>(*dialog, "txtVerified")->isEnabled()) << "closed as after any use";
}

TEST_P(SignOffTest, TheSharedInstanceKeepsItsProperties)
{
    frmMedTech &shared = frmMedTech::shared();
    EXPECT_EQ(&shared, &frmMedTech::shared());
    shared.setShowPaperSizeOption(true);
    shared.setPaperSize(QStringLiteral("W"));
    shared.setPathologist(QStringLiteral("Grace U. Lim, M.D.")); // over the request's default
    for (int use = 0; use < 2; ++use) {
        shared.setRequestNum(kRequest);
        shared.hideVerifier();
        script.expect(QStringLiteral("frmMedTech"), [](QDialog &d) {
            EXPECT_TRUE(control<QRadioButton>(d, "optPaperSize_1")->isChecked());
            finish(d);
        });
        shared.runModal();
    }
    EXPECT_EQ(shared.PaperSize(), QStringLiteral("W"));
    EXPECT_EQ(signOffColumn("Pathologist"), QStringLiteral("Grace U. Lim, M.D."));
    shared.setPathologist(QString());
}

TEST_P(SignOffTest, SignOffProceduresCheckWhoSigns)
{
    // The clerk is no med tech: the dialog finds no one to take.
    EXPECT_TRUE(query(QStringLiteral("LABORATORY..Lab_GetSelectedMedtech_New '0105'")).eof());
    EXPECT_EQ(query(QStringLiteral("LABORATORY..Lab_SearchMedTech ''")).recordCount(), 4);
    EXPECT_THROW(execute(QStringLiteral("LABORATORY..Lab_UpdateMedTech 'R2603001','0199','x'")), corvane::DatabaseError);
    EXPECT_THROW(execute(QStringLiteral("LABORATORY..Lab_UpdateVerified 'R2603001','0102','','x'")),
                 corvane::DatabaseError);
    EXPECT_EQ(signOffColumn("MedTechID"), QStringLiteral("<no row>")) << "a refused sign-off writes nothing";
    // A result verified while saving shows its verifier before any sign-off.
    execute(QStringLiteral(
        "Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603001', '', '0102','03/07/2026 2:05 PM', '', 'A'"));
    execute(QStringLiteral("laboratory..LAB_Save_VerifyResults 'R2603001','0104'"));
    EXPECT_EQ(field(query(QStringLiteral("LABORATORY..Lab_GetVerifiedMedtech 'R2603001'")), "VerifyID"),
              QStringLiteral("0104"));
}

INSTANTIATE_TEST_SUITE_P(Backends, SignOffTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
