// The seam every message box and modal window goes through.

#include "qstringprint.h"

#include "services/ui/scriptedseam.h"

#include <gtest/gtest.h>

#include <QDialog>

using corvane::MessageBox;
using corvane::ScriptedUiSeam;

namespace {

TEST(UiSeam, UnscriptedMessagesGetTheFirstButton)
{
    ScriptedUiSeam seam;
    const corvane::ScopedUiSeam installed(seam);
    EXPECT_EQ(MessageBox::show(QStringLiteral("a"), QStringLiteral("t")), QMessageBox::Ok);
    EXPECT_EQ(MessageBox::show(QStringLiteral("b"), QStringLiteral("t"), QMessageBox::Question,
                               QMessageBox::Yes | QMessageBox::No),
              QMessageBox::Yes);
    EXPECT_EQ(MessageBox::show(QStringLiteral("c"), QStringLiteral("t"), QMessageBox::Warning,
                               QMessageBox::Ok | QMessageBox::Cancel),
              QMessageBox::Ok);
    EXPECT_EQ(MessageBox::show(QStringLiteral("d"), QStringLiteral("t"), QMessageBox::Critical,
                               QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore),
              QMessageBox::Abort);
    ASSERT_EQ(seam.messages().size(), 4);
    EXPECT_EQ(seam.messages().at(1).request.text, QStringLiteral("b"));
    EXPECT_EQ(seam.messages().at(1).request.icon, QMessageBox::Question);
    EXPECT_EQ(seam.messages().at(3).answer, QMessageBox::Abort);
}

TEST(UiSeam, ScriptedAnswersInOrder)
{
    ScriptedUiSeam seam;
    const corvane::ScopedUiSeam installed(seam);
    seam.queueAnswer(QMessageBox::No);
    seam.queueAnswer(QMessageBox::Cancel);
    const auto yesNo = QMessageBox::Yes | QMessageBox::No;
    EXPECT_EQ(MessageBox::show(QStringLiteral("1"), QString(), QMessageBox::Question, yesNo), QMessageBox::No);
    EXPECT_EQ(MessageBox::show(QStringLiteral("2"), QString(), QMessageBox::Question, yesNo | QMessageBox::Cancel),
              QMessageBox::Cancel);
    EXPECT_EQ(MessageBox::show(QStringLiteral("3"), QString(), QMessageBox::Question, yesNo), QMessageBox::Yes);
}

TEST(UiSeam, ModalWindowsGoThroughTheHandler)
{
    ScriptedUiSeam seam;
    const corvane::ScopedUiSeam installed(seam);
    QDialog unnamed;
    EXPECT_EQ(corvane::showModal(unnamed), QDialog::Rejected) << "unscripted windows close at once";

    QDialog named;
    named.setObjectName(QStringLiteral("frmMedTech"));
    seam.setDialogHandler([](QDialog &d) {
        d.setWindowTitle(QStringLiteral("seen"));
        d.accept();
        return d.result();
    });
    EXPECT_EQ(corvane::showModal(named), QDialog::Accepted);
    EXPECT_EQ(named.windowTitle(), QStringLiteral("seen"));
    EXPECT_EQ(seam.dialogs(), (QStringList{QStringLiteral("QDialog"), QStringLiteral("frmMedTech")}));
}

TEST(UiSeam, SeamsNestAndAreRestored)
{
    EXPECT_EQ(corvane::installedUiSeam(), nullptr);
    ScriptedUiSeam outer;
    {
        const corvane::ScopedUiSeam a(outer);
        ScriptedUiSeam inner;
        {
            const corvane::ScopedUiSeam b(inner);
            MessageBox::show(QStringLiteral("inner"), QString());
        }
        EXPECT_EQ(corvane::installedUiSeam(), &outer);
        MessageBox::show(QStringLiteral("outer"), QString());
        EXPECT_EQ(inner.messages().size(), 1);
    }
    EXPECT_EQ(outer.messages().size(), 1);
    EXPECT_EQ(corvane::installedUiSeam(), nullptr);
}

} // namespace
