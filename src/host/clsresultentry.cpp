#include "host/clsresultentry.h"

#include "codesearch/clslabexams.h"
#include "forms/common/screens.h"
#include "host/dispatch.h"
#include "host/objectregistry.h"
#include "host/screenfactory.h"
#include "host/twips.h"
#include "session/errors.h"
#include "session/sessioncontext.h"

namespace corvane {

namespace {

// Objects alive in this thread; they share the thread's SessionContext and its connection.
thread_local int t_liveObjects = 0;

void createCodeSearch(SessionContext &ctx)
{
    // The code-search library registers itself; until it is part of the build there is no
    // object and the screens' searches find nothing.
    if (ctx.SearchCodes || !isClassRegistered(clsResultEntry::kCodeSearchIdentity))
        return;
    std::unique_ptr<QObject> object = createObject(clsResultEntry::kCodeSearchIdentity);
    auto *search = dynamic_cast<ICodeSearch *>(object.get());
    if (!search)
        throw ComponentError(QStringLiteral("The class %1 is not a code search.").arg(clsResultEntry::kCodeSearchIdentity));
    object.release();
    ctx.SearchCodes.reset(search);
}

// The screens built into the component and the code-search library it ships with; whatever a
// host or test registered first is kept.
void registerBuiltIns()
{
    static const bool done = [] {
        if (!isClassRegistered(clsResultEntry::kCodeSearchIdentity))
            kestrix::registerCodeSearchClass();
        forEachBuiltInScreen([](const QString &name, ScreenMaker make) {
            if (!ScreenFactory::isRegistered(name))
                ScreenFactory::registerScreen(name, std::move(make));
        });
        return true;
    }();
    (void)done;
}

} // namespace

clsResultEntry::clsResultEntry(QObject *parent) : QObject(parent)
{
    registerBuiltIns();
    SessionContext &ctx = SessionContext::current();
    if (!ctx.Settings)
        ctx.Settings = std::make_unique<ConnSettings>();
    const bool opened = !ctx.Connection;
    if (opened) {
        ctx.Connection = Connection::open(ctx.Settings->connStr(regString, QStringLiteral("LABORATORY")));
        ctx.Connection->setAuditUser(ctx.EmployeeCode);
    }
    try {
        createCodeSearch(ctx);
    } catch (...) {
        if (opened)
            ctx.Connection.reset();
        throw;
    }
    ++t_liveObjects;
}

clsResultEntry::~clsResultEntry()
{
    if (--t_liveObjects > 0)
        return;
    SessionContext &ctx = SessionContext::current();
    ctx.Connection.reset();
    ctx.SearchCodes.reset();
    ctx.Settings.reset();
}

void clsResultEntry::setCanVerify(bool value)
{
    SessionContext::current().CanVerify = value;
}

void clsResultEntry::setVerifyMode(bool value)
{
    SessionContext::current().VerifyMode = value;
}

void clsResultEntry::setEditMode(bool value)
{
    SessionContext::current().EditMode = value;
}

void clsResultEntry::setClerk(bool value)
{
    SessionContext::current().Clerk = value;
}

void clsResultEntry::setEntryMode(qint16 value)
{
    SessionContext::current().EntryMode = value;
}

void clsResultEntry::setEmployeeCode(const QString &value)
{
    // Every change the component makes from now on is recorded as this employee's.
    SessionContext &ctx = SessionContext::current();
    ctx.EmployeeCode = value;
    if (ctx.Connection)
        ctx.Connection->setAuditUser(value);
}

void clsResultEntry::setEmployeeName(const QString &value)
{
    SessionContext::current().EmployeeName = value;
}

void clsResultEntry::Get_ExamID(QString &strGetExamID)
{
    SessionContext::current().ExamID = strGetExamID;
}

void clsResultEntry::Show_ResultEntry(QString &RequestNum, qint16 &intResult, qint16 Top, double Left)
{
    SessionContext &ctx = SessionContext::current();
    ctx.RequestNum = RequestNum;
    ctx.intResult = intResult;
    ctx.LoadHospitalHeader();
    ctx.ReadConnectionSettings();
    // Not found leaves the previous request's record, and the dispatch runs on that.
    ctx.LoadRequest(ctx.RequestNum);
    ctx.LoadExamReagent(ctx.RequestRecord.code);

    const Dispatch dispatch = chooseScreen(ctx.RequestRecord.FormType, ctx.RequestRecord.ValueType, ctx.intResult);
    switch (dispatch.kind) {
    case Dispatch::Kind::Message:
        showExamNotFormatted();
        return;
    case Dispatch::Kind::Silent:
        return;
    case Dispatch::Kind::Screen:
        break;
    }

    // Left has always travelled as a single-precision number.
    const PixelPosition at = screenPositionFromTwips(Top, static_cast<float>(Left));
    const std::unique_ptr<ResultScreen> screen = ScreenFactory::create(dispatch.screen);
    screen->setTop(at.top);
    screen->setLeft(at.left);
    screen->Fill_Results();
    screen->showModal();
}

void clsResultEntry::Show_Screen(const QString &screenName, const QString &RequestNum)
{
    SessionContext &ctx = SessionContext::current();
    ctx.RequestNum = RequestNum;
    ctx.LoadHospitalHeader();
    ctx.ReadConnectionSettings();
    ctx.LoadRequest(ctx.RequestNum);
    ctx.LoadExamReagent(ctx.RequestRecord.code);
    const PixelPosition at = screenPositionFromTwips(2350, 100.0F);
    const std::unique_ptr<ResultScreen> screen = ScreenFactory::create(screenName);
    screen->setTop(at.top);
    screen->setLeft(at.left);
    screen->Fill_Results();
    screen->showModal();
}

} // namespace corvane
