// The sign-off dialog and its med-tech listing, driven by keys and clicks, with what they record
// read back from the database.

#include "services/signofffixture.h"

#include "host/qstringprint.h"
#include "services/lookups/dialogsupport.h"
#include "services/signoff/frmlistmedtech.h"
#include "services/signoff/frmmedtech.h"

#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

using corvane::frmMedTech;
using corvane::SessionContext;
using testsupport::control;

namespace {

const QString kRequest = QStringLiteral("R2603001"); // APTT, hematology: section head 1002

QString field(corvane::Recordset rs, const char *name)
{
    return rs.eof() ? QStringLiteral("<no row>") : rs[QString::fromLatin1(name)].toStringOr();
}

class SignOffTest : public testsupport::SessionDatabaseTest {
protected:
    void SetUp() override
    {
        SessionDatabaseTest::SetUp();
        if (db)
            dialog = std::make_unique<frmMedTech>();
    }
    void TearDown() override
    {
        dialog.reset();
        SessionDatabaseTest::TearDown();
    }

    // One sign-off as a screen runs it: a save hides the verifier, Verify and Print set Verify.
    int signOff(bool withVerifier, testsupport::DialogScript::Script steps)
    {
        commands.clear();
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
        return field(query(QStringLiteral("select * from laboratory..tbLabResultMedTech where RequestNum = '") +
                           kRequest + QStringLiteral("'")),
                     column);
    }
    static void click(QDialog &d, const char *button)
    {
        QTest::mouseClick(control<QPushButton>(d, button), Qt::LeftButton);
    }

    testsupport::DialogScript script;
    std::unique_ptr<frmMedTech> dialog;
};

TEST_P(SignOffTest, ASaveSignOffRecordsTheSignedInMedTech)
{
    const int result = signOff(false, [](QDialog &d) {
        EXPECT_EQ(control<QLineEdit>(d, "txtMedTech")->text(), QStringLiteral("Navarro, Paolo Miguel Cruz, RMT"));
        EXPECT_EQ(control<QLineEdit>(d, "txtPathologist")->text(), QStringLiteral("Antonio C. Villanueva, M.D."));
        EXPECT_FALSE(control<QLineEdit>(d, "txtVerified")->isVisible());
        EXPECT_FALSE(control<QLabel>(d, "lblVerified")->isVisible());
        click(d, "cmdFinish");
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog->Cancelled(), QStringLiteral("False"));
    EXPECT_EQ(commands, (QStringList{
                            QStringLiteral("LABORATORY..Lab_GetSelectedMedtech 'R2603001'"),
                            QStringLiteral("LABORATORY..Lab_GetSelectedMedtech_New '0102'"),
                            QStringLiteral("LABORATORY..Lab_GetVerifiedMedtech 'R2603001'"),
                            QStringLiteral("Lab_GetDefaultPatho 'R2603001'"),
                            QStringLiteral("LABORATORY..Lab_UpdateMedTech 'R2603001','0102','Antonio C. Villanueva, "
                                           "M.D.'"),
                        }));
    EXPECT_EQ(signOffColumn("MedTechID"), QStringLiteral("0102"));
    EXPECT_EQ(signOffColumn("VerifiedBy"), QString());
    EXPECT_EQ(signOffColumn("Pathologist"), QStringLiteral("Antonio C. Villanueva, M.D."));
    EXPECT_EQ(field(query(QStringLiteral("LABORATORY..Lab_GetSelectedMedtech 'R2603001'")), "MedTech"),
              QStringLiteral("Navarro, Paolo Miguel Cruz"));
}

TEST_P(SignOffTest, AVerifyingSignOffRecordsMedTechVerifierAndPathologist)
{
    conn().execute(corvane::Command::fromText(QStringLiteral(
        "Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603001', '', '0102','03/07/2026 2:05 PM', '03/07/2026 2:45 "
        "PM','ACC-1'")));
    signOff(false, [](QDialog &d) { click(d, "cmdFinish"); });

    SessionContext::current().EmployeeCode = QStringLiteral("0101");
    script.expect(QStringLiteral("frmSearchPatho"), [](QDialog &d) {
        auto *grid = control<QTableWidget>(d, "grdResults");
        QTest::keyClick(grid, Qt::Key_Down); // Lim, Santos, Villanueva
        QTest::keyClick(grid, Qt::Key_Return);
    });
    const int result = signOff(true, [](QDialog &d) {
        // The request's med tech stays; the verifier is the one signed in.
        EXPECT_EQ(control<QLineEdit>(d, "txtMedTech")->text(), QStringLiteral("Navarro, Paolo Miguel Cruz, RMT"));
        EXPECT_EQ(control<QLineEdit>(d, "txtVerified")->text(),
                  QStringLiteral("Castillo, Liza Marie Santos, RMT"));
        click(d, "cmdPathologist");
        EXPECT_EQ(control<QLineEdit>(d, "txtPathologist")->text(), QStringLiteral("Maria Luisa R. Santos, M.D."));
        EXPECT_EQ(control<QLineEdit>(d, "txtPathologistID")->text(), QStringLiteral("1001"));
        click(d, "FlatBttn1");
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog->Cancelled(), QStringLiteral("True")) << "signed, but not to be printed";
    EXPECT_EQ(commands, (QStringList{
                            QStringLiteral("LABORATORY..Lab_GetSelectedMedtech 'R2603001'"),
                            QStringLiteral("LABORATORY..Lab_GetVerifiedMedtech 'R2603001'"),
                            QStringLiteral("LABORATORY..Lab_GetVerifiedMedtech_new '0101'"),
                            QStringLiteral("Lab_GetDefaultPatho 'R2603001'"),
                            QStringLiteral("Lab_SearchDoctor '2', ''"),
                            QStringLiteral("SELECT * FROM BUILD_FILE..tbCoDoctor WHERE DoctorID = '1001'"),
                            QStringLiteral("LABORATORY..Lab_UpdateVerified 'R2603001','0102','0101','Maria Luisa R. "
                                           "Santos, M.D.'"),
                            QStringLiteral("LABORATORY..Lab_UpdateMedTech 'R2603001','0102','Maria Luisa R. Santos, "
                                           "M.D.'"),
                        }));
    EXPECT_EQ(signOffColumn("MedTechID"), QStringLiteral("0102"));
    EXPECT_EQ(signOffColumn("VerifiedBy"), QStringLiteral("0101"));
    EXPECT_EQ(signOffColumn("Pathologist"), QStringLiteral("Maria Luisa R. Santos, M.D."));
    EXPECT_FALSE(query(QStringLiteral("select * from laboratory..tbLabResultMedTech where VerifiedAt is not null "
                                      "and RequestNum = 'R2603001'"))
                     .eof());
    EXPECT_EQ(field(query(QStringLiteral("select * from laboratory..tblablogbook where requestnum = 'R2603001'")),
                    "VerifiedBy"),
              QStringLiteral("0101"));
    // The next opening defaults to the pathologist who signed.
    EXPECT_EQ(field(query(QStringLiteral("Lab_GetDefaultPatho 'R2603001'")), "SECTIONHEAD"),
              QStringLiteral("Maria Luisa R. Santos, M.D."));
}

TEST_P(SignOffTest, VerifyNeverOutlivesOneOpening)
{
    const auto updates = [this] {
        return commands.filter(QStringLiteral("Lab_UpdateVerified")).size();
    };
    signOff(false, [](QDialog &d) { click(d, "cmdFinish"); });
    signOff(true, [](QDialog &d) { click(d, "cmdFinish"); });
    EXPECT_EQ(updates(), 1);

    // No screen clears Verify; the next sign-off, even with the verifier in view, only saves.
    commands.clear();
    dialog->setRequestNum(kRequest);
    script.expect(QStringLiteral("frmMedTech"), [](QDialog &d) { click(d, "cmdFinish"); });
    dialog->runModal();
    EXPECT_EQ(updates(), 0);
    EXPECT_TRUE(commands.contains(QStringLiteral("LABORATORY..Lab_UpdateMedTech 'R2603001','0102','Antonio C. "
                                                 "Villanueva, M.D.'")));

    // Verify set by a Verify button whose save then failed: the save sign-off after it hides the
    // verifier, and records none.
    SessionContext::current().EmployeeCode = QStringLiteral("0103");
    dialog->setVerify(true);
    signOff(false, [](QDialog &d) { click(d, "cmdFinish"); });
    EXPECT_EQ(updates(), 0);
    EXPECT_TRUE(commands.contains(QStringLiteral("LABORATORY..Lab_GetSelectedMedtech_New '0103'")))
        << "a save sign-off takes the signed-in med tech";
    EXPECT_TRUE(commands.filter(QStringLiteral("Lab_GetVerifiedMedtech_new")).isEmpty());
    EXPECT_EQ(signOffColumn("MedTechID"), QStringLiteral("0103"));
}

TEST_P(SignOffTest, TheKeyboardAloneSignsAVerification)
{
    signOff(false, [](QDialog &d) { click(d, "cmdFinish"); });
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
    conn().execute(corvane::Command::fromText(QStringLiteral(
        "INSERT INTO laboratory..tbLabEmployee (EmployeeCode, LastName, FirstName, MiddleName, License, IsMedTech, "
        "Position, Status) VALUES ('0107', 'O', '', '', '', 1, 'Medical Technologist', 'A')")));
    SessionContext::current().EmployeeCode = QStringLiteral("0107");
    signOff(false, [](QDialog &d) {
        EXPECT_EQ(control<QLineEdit>(d, "txtMedTech")->text(), QString());
        click(d, "cmdFinish");
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
            QStringList header;
            for (int c = 0; c < grid->columnCount(); ++c)
                header.append(grid->horizontalHeaderItem(c)->text());
            EXPECT_EQ(header.join(QStringLiteral(" | ")), QStringLiteral(" | EmployeeID | LastName | FirstName | "
                                                                         "MiddleName | License#"));
            ASSERT_EQ(grid->rowCount(), 1);
            EXPECT_EQ(grid->item(0, 5)->text(), QStringLiteral("0062340"));
            QTest::keyClick(grid, Qt::Key_Return);
        });
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_TRUE(d.isVisible()) << "Enter searches; it does not finish";
        EXPECT_EQ(box->text(), QStringLiteral("Fernandez, Jessa Mae Ocampo, RMT"));
        click(d, "cmdFinish");
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(commands.contains(QStringLiteral("LABORATORY..Lab_SearchMedTech 'fer'")));
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
        EXPECT_EQ(shown[0].request.icon, QMessageBox::Information);
        EXPECT_EQ(box->text(), QString());
        EXPECT_TRUE(box->hasFocus());

        click(d, "cmdFinish"); // still nobody to record
        EXPECT_EQ(script.seam().messages().size(), 2);
        EXPECT_TRUE(d.isVisible());
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(dialog->Cancelled(), QStringLiteral("True")) << "closed unsigned: nothing to print";
    EXPECT_TRUE(commands.filter(QStringLiteral("Lab_Update")).isEmpty());
    EXPECT_EQ(signOffColumn("MedTechID"), QStringLiteral("<no row>"));
}

TEST_P(SignOffTest, PaperSizeFrameHeightAndCodes)
{
    signOff(false, [](QDialog &d) {
        EXPECT_EQ(d.height(), corvane::twipsToPixelsY(d, 2900));
        EXPECT_FALSE(control<QGroupBox>(d, "fraPaperSize")->isVisible());
        click(d, "cmdFinish");
    });
    EXPECT_EQ(dialog->ShowPaperSizeOption(), QStringLiteral("False")) << "never set becomes False";
    EXPECT_EQ(dialog->PaperSize(), QStringLiteral("H"));

    dialog->setShowPaperSizeOption(true);
    dialog->setNewFormat(true);
    const struct {
        const char *option;
        const char *code;
    } choices[] = {{"optPaperSize_1", "W"}, {"optPaperSize_2", "N"}, {"optPaperSize_0", "H"}};
    for (const auto &choice : choices) {
        signOff(false, [&](QDialog &d) {
            EXPECT_EQ(d.height(), corvane::twipsToPixelsY(d, 4140));
            auto *frame = control<QGroupBox>(d, "fraPaperSize");
            EXPECT_TRUE(frame->isVisible());
            EXPECT_EQ(frame->title(), QStringLiteral("Printing Preferences (Paper Size)"));
            EXPECT_TRUE(control<QRadioButton>(d, "optPaperSize_2")->isVisible());
            QTest::mouseClick(control<QRadioButton>(d, choice.option), Qt::LeftButton);
            click(d, "cmdFinish");
        });
        EXPECT_EQ(dialog->PaperSize(), QString::fromLatin1(choice.code)) << choice.option;
    }

    dialog->setNewFormat(false);
    signOff(false, [](QDialog &d) {
        EXPECT_FALSE(control<QRadioButton>(d, "optPaperSize_2")->isVisible());
        EXPECT_EQ(control<QRadioButton>(d, "optPaperSize_0")->text(), QStringLiteral("(1/2) Half Page "));
        EXPECT_EQ(control<QRadioButton>(d, "optPaperSize_1")->text(), QStringLiteral("Whole Page "));
        click(d, "cmdFinish");
    });
}

TEST_P(SignOffTest, AFailingCommandReachesTheCaller)
{
    commands.clear();
    dialog->setRequestNum(QStringLiteral("R9999999"));
    dialog->hideVerifier();
    script.expect(QStringLiteral("frmMedTech"), [](QDialog &d) { click(d, "cmdFinish"); });
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
            EXPECT_EQ(d.height(), corvane::twipsToPixelsY(d, 4140));
            QTest::mouseClick(control<QPushButton>(d, "cmdFinish"), Qt::LeftButton);
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
    EXPECT_TRUE(query(QStringLiteral("LABORATORY..Lab_SearchMedTech 'Pas'")).eof());
    EXPECT_EQ(query(QStringLiteral("LABORATORY..Lab_SearchMedTech ''")).recordCount(), 4);
    EXPECT_EQ(field(query(QStringLiteral("LABORATORY..Lab_GetVerifiedMedtech_new '0103'")), "MedTechID"),
              QStringLiteral("0103"));
    EXPECT_TRUE(query(QStringLiteral("LABORATORY..Lab_GetVerifiedMedtech 'R2603001'")).eof());
    EXPECT_THROW(conn().execute(corvane::Command::fromText(
                     QStringLiteral("LABORATORY..Lab_UpdateMedTech 'R2603001','0199','x'"))),
                 corvane::DatabaseError);
    EXPECT_THROW(conn().execute(corvane::Command::fromText(
                     QStringLiteral("LABORATORY..Lab_UpdateVerified 'R2603001','0102','','x'"))),
                 corvane::DatabaseError);
    EXPECT_EQ(signOffColumn("MedTechID"), QStringLiteral("<no row>")) << "a refused sign-off writes nothing";
    // A result verified while saving shows its verifier before any sign-off.
    conn().execute(corvane::Command::fromText(QStringLiteral(
        "Laboratory..Lab_ResultEntryDLL_SaveToLogbook 'R2603001', '', '0102','03/07/2026 2:05 PM', '', 'A'")));
    conn().execute(corvane::Command::fromText(QStringLiteral("laboratory..LAB_Save_VerifyResults 'R2603001','0104'")));
    EXPECT_EQ(field(query(QStringLiteral("LABORATORY..Lab_GetVerifiedMedtech 'R2603001'")), "VerifyID"),
              QStringLiteral("0104"));
}

// Pictures of the dialogs with demonstration data, for a person to look at.
TEST_P(SignOffTest, Screenshots)
{
    const QString dir = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
    if (dir.isEmpty() || GetParam() != testsupport::Backend::Sqlite)
        GTEST_SKIP() << "set CORVANE_SCREENSHOT_DIR to write screenshots";
    QDir().mkpath(dir);
    const auto save = [&](QWidget &w, const char *name) {
        QApplication::processEvents();
        EXPECT_TRUE(w.grab().save(dir + QLatin1Char('/') + QString::fromLatin1(name)));
    };
    signOff(false, [&](QDialog &d) { save(d, "frmMedTech-2900.png"); });
    dialog->setShowPaperSizeOption(true);
    dialog->setNewFormat(true);
    script.expect(QStringLiteral("frmListMedTech"), [&](QDialog &d) { save(d, "frmListMedTech.png"); });
    script.expect(QStringLiteral("frmSearchPatho"), [&](QDialog &d) { save(d, "frmSearchPatho.png"); });
    signOff(true, [&](QDialog &d) {
        save(d, "frmMedTech-4140.png");
        auto *box = control<QLineEdit>(d, "txtMedTech");
        box->clear();
        QTest::keyClick(box, Qt::Key_Return);
        d.findChild<QPushButton *>(QStringLiteral("cmdPathologist"))->click();
    });
}

INSTANTIATE_TEST_SUITE_P(Backends, SignOffTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
