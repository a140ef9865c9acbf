// The seam every message box and modal window goes through.

#include "support/qstringprint.h"

#include "services/ui/scriptedseam.h"

#include <gtest/gtest.h>

using corvane::MessageBox;
using corvane::ScriptedUiSeam;

namespace {

TEST(UiSeam, MessagesTakeTheScriptedAnswersInOrderThenTheFirstButton)
{
    ScriptedUiSeam seam;
    const corvane::ScopedUiSeam installed(seam);
    seam.queueAnswer(QMessageBox::No);
    const auto yesNo = QMessageBox::Yes | QMessageBox::No;
    EXPECT_EQ(MessageBox::show(QStringLiteral("a"), QString(), QMessageBox::Question, yesNo), QMessageBox::No);
    EXPECT_EQ(MessageBox::show(QStringLiteral("b"), QStringLiteral("t"), QMessageBox::Question, yesNo),
              QMessageBox::Yes);
    EXPECT_EQ(MessageBox::show(QStringLiteral("c"), QStringLiteral("t"), QMessageBox::Critical,
                               QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore),
              QMessageBox::Abort);
    EXPECT_EQ(MessageBox::show(QStringLiteral("d"), QStringLiteral("t")), QMessageBox::Ok);
    ASSERT_EQ(seam.messages().size(), 4);
    EXPECT_EQ(seam.messages().at(1).request.text, QStringLiteral("b"));
    EXPECT_EQ(seam.messages().at(1).request.icon, QMessageBox::Question);
    EXPECT_EQ(seam.messages().at(2).answer, QMessageBox::Abort);
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
