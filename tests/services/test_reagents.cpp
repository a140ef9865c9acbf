// Reagent choices, items and their posting to the inventory, on both backends: the commands as
// sent, the stock cards and stock levels they leave, the once-only rule under concurrent saves,
// and the rollback of a save that fails part-way.

#include "support/demosession.h"

#include "services/logbook.h"
#include "services/reagents.h"
#include "services/ui/scriptedseam.h"
#include "session/errors.h"

#include <QComboBox>
#include <QLabel>
#include <QTableWidget>

#include <atomic>
#include <functional>
#include <future>
#include <thread>

using corvane::Connection;
using corvane::ReagentPosting;

namespace {

struct Screen {
    explicit Screen(corvane::SessionContext &ctx)
        : combo(new QComboBox(&window)), caption(new QLabel(&window)), grid(new QTableWidget(&window)),
          state(combo, caption, grid, ctx)
    {
        combo->hide();
        caption->hide();
    }
    QStringList row(int r) const
    {
        QStringList out;
        for (int c = 1; c <= 7; ++c)
            out << (grid->item(r, c) ? grid->item(r, c)->text() : QStringLiteral("<none>"));
        return out;
    }
    QWidget window;
    QComboBox *combo;
    QLabel *caption;
    QTableWidget *grid;
    corvane::ReagentState state;
};

// Demo requests; RefNum is "CS-26" followed by 4180 plus the request's serial.
struct DemoRequest {
    const char *requestNum, *exam, *refNum, *defaultReagent;
};
constexpr DemoRequest kAptt{"R2603001", "101", "CS-264181", "R0101"};    // one reagent, three items
constexpr DemoRequest kStone{"R2603002", "102", "CS-264182", ""};        // no reagent
constexpr DemoRequest kGlucose{"R2603031", "136", "CS-264211", "R0201"}; // two reagents

class ReagentTest : public testsupport::DemoSessionTest {
protected:
    // What the request and exam-reagent loaders leave in the session.
    void open(const DemoRequest &r)
    {
        ctx.RequestNum = QLatin1String(r.requestNum);
        ctx.RequestRecord.code = QLatin1String(r.exam);
        ctx.RequestRecord.RefNum = QLatin1String(r.refNum);
        ctx.ReagentID = QLatin1String(r.defaultReagent);
        ctx.ReagentLocationID = QStringLiteral("LAB");
    }
    std::unique_ptr<Screen> chosen(const char *reagent)
    {
        auto s = std::make_unique<Screen>(ctx);
        s->state.LoadReagentChoices();
        s->combo->setCurrentIndex(s->combo->findText(QLatin1String(reagent)));
        s->state.SelectReagent();
        return s;
    }
    // A save's transaction: the logbook decision, then `rest`; committed unless rest throws.
    void saveWith(const std::function<void()> &rest)
    {
        Connection &c = *ctx.Connection;
        c.beginTrans();
        try {
            corvane::SaveToLogbookIfFirst(c, ctx.RequestNum, ctx.EmployeeCode, QDateTime::currentDateTime(),
                                          QDateTime::currentDateTime(), QStringLiteral("A-1"));
            rest();
            c.commitTrans();
        } catch (...) {
            c.rollbackTrans();
            throw;
        }
    }
    int save(Screen &s)
    {
        int lines = -1;
        saveWith([&] { lines = s.state.PostReagentConsumption(); });
        return lines;
    }
    double onHand(const char *item, const char *location = "LAB")
    {
        const labdb::ResultSet rs = sql("SELECT OnHand FROM " + table(labdb::Database::Inventory, "tbInvStockLevel") +
                                            " WHERE ItemCode = ? AND LocationID = ?",
                                        {item, location});
        return rs.rows.empty() ? -9999 : QString::fromStdString(rs.rows[0][0].value_or("")).toDouble();
    }
    QStringList cardsSent() const { return sent.filter(QStringLiteral("Inventory.dbo.Drug_AddStockCard")); }

    corvane::ScriptedUiSeam seam;
    corvane::ScopedUiSeam seamScope{seam};
};

TEST_P(ReagentTest, ChoicesFollowTheExamsReagents)
{
    open(kGlucose);
    Screen two(ctx);
    two.state.LoadReagentChoices();
    EXPECT_EQ(sent, (QStringList{QStringLiteral("Lab_CheckReagents 'CS-264211','R2603031L'"),
                                 QStringLiteral("LABORATORY..Lab_Inv_RetrieveReagent_PerExam '3','136','',''")}));
    EXPECT_EQ(two.combo->itemText(0), QStringLiteral("GLUCOSE - VITROS 250"));
    EXPECT_EQ(two.combo->itemText(1), QStringLiteral("GLUCOSE - MANUAL (GOD-PAP)"));
    EXPECT_EQ(two.combo->currentText(), QString()) << "the technologist chooses";
    ASSERT_EQ(seam.messages().size(), 1);
    const corvane::MessageRequest &m = seam.messages()[0].request;
    EXPECT_EQ(m.text, QStringLiteral("Exam has more than one Item/Reagent!"));
    EXPECT_EQ(m.title, QString());
    EXPECT_EQ(m.icon, QMessageBox::NoIcon);
    EXPECT_FALSE(two.combo->isHidden() || two.caption->isHidden());

    seam.clear();
    open(kAptt);
    Screen one(ctx);
    one.state.LoadReagentChoices();
    EXPECT_EQ(one.combo->count(), 1);
    EXPECT_TRUE(seam.messages().isEmpty());
    EXPECT_FALSE(one.combo->isHidden());

    sent.clear();
    open(kStone);
    Screen none(ctx);
    none.state.LoadReagentChoices();
    EXPECT_TRUE(sent.isEmpty()) << "an exam without a default reagent asks nothing";
    EXPECT_TRUE(none.combo->isHidden() && none.caption->isHidden());
}

TEST_P(ReagentTest, FirstSavePostsEachItemOnceLaterSavesNothing)
{
    open(kAptt);
    auto screen = chosen("APTT REAGENT KIT");
    EXPECT_EQ(sent.mid(2), (QStringList{
                               QStringLiteral("SELECT reagentcode FROM Build_file..TbCoLabReagents WHERE Reagent = "
                                              "'APTT REAGENT KIT' "),
                               QStringLiteral("LABORATORY..Lab_Inv_RetrieveReagent_PerExam '1','101','','R0101'")}));
    ASSERT_EQ(screen->grid->rowCount(), 4);
    EXPECT_EQ(screen->row(0), corvane::ReagentState::gridHeaders());
    EXPECT_EQ(screen->row(2), (QStringList{QStringLiteral("INV-1002"), QStringLiteral("CALCIUM CHLORIDE 0.025 M 10 ML"),
                                           QStringLiteral("ML"), QStringLiteral("0.1"), QStringLiteral("12.5"),
                                           QStringLiteral("1.25"), QStringLiteral("Healthtrend Laboratory Supplies")}));

    sent.clear();
    EXPECT_EQ(save(*screen), 3);
    ASSERT_EQ(cardsSent().size(), 3);
    EXPECT_EQ(cardsSent()[0],
              QStringLiteral("Inventory.dbo.Drug_AddStockCard 'CS','MR0101','R2603001L','INV-1001','%1','CS-264181',"
                             "'0.1','0','8.5','0102','PRN','','D','0102','LAB','LAB','OPD','','','I','0','1','','0',"
                             "'','','','1','0','','',''")
                  .arg(QDate::currentDate().toString(QStringLiteral("MM/dd/yyyy"))));
    EXPECT_EQ(count(labdb::Database::Inventory,
                    "tbInvStockCard",
                    "ReferenceNum = 'R2603001L' AND SourceCode = 'MR0101'"), 3);
    EXPECT_DOUBLE_EQ(onHand("INV-1001"), 99.9);
    EXPECT_DOUBLE_EQ(onHand("INV-1003"), 499);

    sent.clear();
    EXPECT_EQ(save(*screen), 0);
    EXPECT_EQ(sent.filter(QStringLiteral("Lab_CheckReagents 'CS-264181','R2603001L'")).size(), 1);
    EXPECT_TRUE(cardsSent().isEmpty());
    EXPECT_DOUBLE_EQ(onHand("INV-1003"), 499);

    // Reopened, the screen shows the posted reagent, locked, with its items.
    Screen reopened(ctx);
    reopened.state.LoadReagentChoices();
    EXPECT_EQ(reopened.combo->currentText(), QStringLiteral("APTT REAGENT KIT"));
    EXPECT_TRUE(reopened.state.ShowPosting());
    EXPECT_FALSE(reopened.combo->isEnabled());
    EXPECT_EQ(reopened.grid->rowCount(), 4);
}

TEST_P(ReagentTest, EmptyCellsCountAsOneRowsWithoutCodeAndUnchosenListsPostNothing)
{
    open(kAptt);
    auto screen = chosen("APTT REAGENT KIT");
    screen->combo->setCurrentIndex(-1);
    EXPECT_EQ(save(*screen), 0);
    screen->combo->setCurrentIndex(0);
    ctx.ReagentID = QStringLiteral(" ");
    EXPECT_EQ(save(*screen), 0);
    EXPECT_EQ(sent.filter(QStringLiteral("Lab_CheckReagents")).size(), 1) << "only the opening check";

    ctx.ReagentID = QStringLiteral("R0101");
    screen->grid->item(1, 4)->setText(QString());
    screen->grid->item(2, 6)->setText(QStringLiteral(" "));
    screen->grid->item(3, 1)->setText(QStringLiteral("  "));
    EXPECT_EQ(save(*screen), 2);
    EXPECT_TRUE(cardsSent()[0].contains(QStringLiteral("'CS-264181','1','0','8.5','"))) << cardsSent()[0].toStdString();
    EXPECT_TRUE(cardsSent()[1].contains(QStringLiteral("'CS-264181','0.1','0','1','"))) << cardsSent()[1].toStdString();
    EXPECT_DOUBLE_EQ(onHand("INV-1001"), 99);
    EXPECT_DOUBLE_EQ(onHand("INV-1003"), 500);
}

TEST_P(ReagentTest, FailureAnywhereInTheSaveRollsEverythingBack)
{
    open(kAptt);
    auto screen = chosen("APTT REAGENT KIT");
    const auto resultsThenPosting = [&] {
        ctx.Connection->execute(corvane::Command("INSERT INTO Laboratory..tbLabResult (RequestNum, result1) VALUES ('")
                                << ctx.RequestNum << "', '" << QStringLiteral("32.5") << "')");
        return screen->state.PostReagentConsumption();
    };
    const auto rows = [&] {
        using labdb::Database;
        return count(Database::Laboratory, "tbLabLogbook") + count(Database::Laboratory, "tbLabResult") +
               count(Database::Laboratory, "tbAuditTrail") + count(Database::Inventory, "tbInvStockCard") +
               count(Database::Inventory, "tbInvPosting");
    };
    const long long before = rows();
    const auto nothingLeft = [&] {
        EXPECT_EQ(rows(), before);
        EXPECT_DOUBLE_EQ(onHand("INV-1001"), 100);
    };

    // A command after the posting fails.
    EXPECT_THROW(saveWith([&] {
                     EXPECT_EQ(resultsThenPosting(), 3);
                     ctx.Connection->execute(
                         corvane::verifyResultsCommand(QStringLiteral("R2603999"), ctx.EmployeeCode));
                 }),
                 corvane::DatabaseError);
    nothingLeft();

    // The second line has a quantity that is no number, after the first line was written.
    screen->grid->item(2, 4)->setText(QStringLiteral("two"));
    sent.clear();
    EXPECT_THROW(saveWith([&] { resultsThenPosting(); }), corvane::ComponentError);
    EXPECT_EQ(cardsSent().size(), 1);
    nothingLeft();

    screen->grid->item(2, 4)->setText(QStringLiteral("0.1"));
    saveWith([&] { EXPECT_EQ(resultsThenPosting(), 3); });
    EXPECT_EQ(count(labdb::Database::Inventory, "tbInvStockCard", "ReferenceNum = 'R2603001L'"), 3);
    EXPECT_EQ(count(labdb::Database::Laboratory, "tbLabLogbook", "RequestNum = 'R2603001'"), 1)
        << "the next save was the first again";
}

TEST_P(ReagentTest, ConcurrentSavesOfOneRequestPostOnceAndBothCommit)
{
    // Saves of one request take turns on every backend (SQLite queues writers, the other server
    // holds a lock per request from the logbook test on), so B sees A's posting once it may go on.
    struct Outcome {
        int linesA = -1, linesB = -1;
        std::string errorA, errorB;
    };
    // Both saves are later saves; the last-edit stamp stands for the screen's own save procedure.
    // B writes it after posting: before, it would wait for A's row and only then check the posting.
    const auto race = [&](const ReagentPosting &a, const ReagentPosting &b) {
        Connection connA(db->connect()), connB(db->connect());
        connA.setAuditUser(a.employeeCode);
        connB.setAuditUser(b.employeeCode);
        std::atomic<bool> bBegins{false};
        const auto begin = [](Connection &c, const ReagentPosting &p) {
            c.beginTrans();
            if (corvane::SaveToLogbookIfFirst(c, p.requestNum, p.employeeCode, {}, {}, QString()) != 1)
                throw std::runtime_error("not a later save");
        };
        std::promise<void> aPosted;
        Outcome out;
        std::thread ta([&] {
            try {
                begin(connA, a);
                connA.execute(corvane::lastEditCommand(a.requestNum, a.employeeCode));
                out.linesA = corvane::PostStockCards(connA, a, QDate::currentDate());
                aPosted.set_value();
                const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
                while (!bBegins && std::chrono::steady_clock::now() < until)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                std::this_thread::sleep_for(std::chrono::milliseconds(300)); // B is blocked by now
                connA.commitTrans();
            } catch (const std::exception &e) {
                out.errorA = e.what();
            }
        });
        std::thread tb([&] {
            try {
                if (aPosted.get_future().wait_for(std::chrono::seconds(10)) != std::future_status::ready)
                    throw std::runtime_error("A never posted");
                bBegins = true;
                begin(connB, b);
                out.linesB = corvane::PostStockCards(connB, b, QDate::currentDate());
                connB.execute(corvane::lastEditCommand(b.requestNum, b.employeeCode));
                connB.commitTrans();
            } catch (const std::exception &e) {
                out.errorB = e.what();
            }
        });
        ta.join();
        tb.join();
        return out;
    };
    const auto postingOf = [&](const DemoRequest &r, const char *reagent, const char *employee) {
        open(r);
        ReagentPosting p = chosen(reagent)->state.posting();
        p.employeeCode = QLatin1String(employee);
        return p;
    };
    const auto committed = [&](const char *employees) {
        return count(labdb::Database::Laboratory, "tbAuditTrail",
                     std::string("EmployeeCode IN ") + employees + " AND CommandText LIKE '%SaveLastEdit%'");
    };
    for (const DemoRequest &r : {kAptt, kGlucose}) {
        open(r);
        saveWith([] {});
    }

    const Outcome same =
        race(postingOf(kAptt, "APTT REAGENT KIT", "0102"), postingOf(kAptt, "APTT REAGENT KIT", "0103"));
    EXPECT_EQ(same.errorA + same.errorB, "");
    EXPECT_EQ(same.linesA, 3);
    EXPECT_EQ(same.linesB, 0);
    EXPECT_EQ(count(labdb::Database::Inventory, "tbInvStockCard", "ReferenceNum = 'R2603001L'"), 3);
    EXPECT_DOUBLE_EQ(onHand("INV-1003"), 499);
    EXPECT_EQ(committed("('0102', '0103')"), 2);

    const Outcome other = race(postingOf(kGlucose, "GLUCOSE - VITROS 250", "0104"),
                               postingOf(kGlucose, "GLUCOSE - MANUAL (GOD-PAP)", "0101"));
    EXPECT_EQ(other.errorA + other.errorB, "");
    EXPECT_EQ(count(labdb::Database::Inventory, "tbInvStockCard", "ReferenceNum = 'R2603031L'"), 2);
    EXPECT_DOUBLE_EQ(onHand("INV-2001"), 299);
    EXPECT_DOUBLE_EQ(onHand("INV-2101"), 400) << "the losing reagent's items stay in stock";
    EXPECT_EQ(committed("('0104', '0101')"), 2);
    Screen reopened(ctx);
    EXPECT_TRUE(reopened.state.ShowPosting());
    EXPECT_EQ(reopened.combo->currentText(), QStringLiteral("GLUCOSE - VITROS 250"));
}

TEST_P(ReagentTest, StockCardProcedureKeepsAReferenceOnceOutsideASave)
{
    ReagentPosting p{QStringLiteral("R2603018"), QStringLiteral("CS-264198"), QStringLiteral("0101"),
                     QStringLiteral("ER"), QStringLiteral("R0402"), {}};
    const corvane::ReagentLine slide{QStringLiteral("INV-9003"), QStringLiteral("2"), QStringLiteral("3")};
    const QDate day(2026, 3, 7);
    ctx.Connection->execute(corvane::stockCardCommand(p, slide, day));
    ctx.Connection->execute(corvane::stockCardCommand(p, slide, day));
    p.reagentCode = QStringLiteral("R0401"); // another source for the same reference
    ctx.Connection->execute(corvane::stockCardCommand(p, {QStringLiteral("INV-4001"), QString(), QString()}, day));
    EXPECT_EQ(count(labdb::Database::Inventory, "tbInvStockCard", "TransDate = '2026-03-07 00:00:00'"), 1);
    EXPECT_DOUBLE_EQ(onHand("INV-9003", "ER"), -2) << "an item never stocked there goes negative";
    EXPECT_THROW(ctx.Connection->execute(corvane::Command("Inventory.dbo.Drug_AddStockCard 'CS','MR0402'")),
                 corvane::DatabaseError);
}

INSTANTIATE_TEST_SUITE_P(Backends, ReagentTest, testsupport::kBothBackends, testsupport::backendName);

} // namespace
