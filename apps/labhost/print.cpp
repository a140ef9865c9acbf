#include "print.h"

#include "console.h"

#include "services/database/connection.h"

#include <reports/renderedreport.h>
#include <reports/reportdocument.h>
#include <reports/reportsfolder.h>

#include <QGuiApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <memory>

namespace labhost {

namespace {

constexpr auto kUsage =
    "usage: labhost print --request R --layout NAME --pdf OUT.pdf [--source DATASOURCE] [--param NAME=VALUE]...\n"
    "  NAME is a layout file of the reports folder, e.g. LabPrint_APTT.RPT\n"
    "  DATASOURCE is file:///folder for the embedded database or host[:port][/database]\n";

struct Options {
    QString request;
    QString layout;
    QString pdf;
    QString source;
    QList<std::pair<QString, QString>> params;
};

// False, with the reason, for a bad command line.
bool parse(const QStringList &args, Options &o, QString &error)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (i + 1 >= args.size()) {
            error = QStringLiteral("%1 needs a value").arg(a);
            return false;
        }
        const QString value = args[++i];
        if (a == QLatin1String("--request")) {
            o.request = value;
        } else if (a == QLatin1String("--layout")) {
            o.layout = value;
        } else if (a == QLatin1String("--pdf")) {
            o.pdf = value;
        } else if (a == QLatin1String("--source")) {
            o.source = value;
        } else if (a == QLatin1String("--param")) {
            const qsizetype eq = value.indexOf(QLatin1Char('='));
            if (eq <= 0) {
                error = QStringLiteral("--param takes NAME=VALUE, not \"%1\"").arg(value);
                return false;
            }
            o.params.append({value.left(eq), value.mid(eq + 1)});
        } else {
            error = QStringLiteral("unknown option %1").arg(a);
            return false;
        }
    }
    if (o.request.isEmpty() || o.layout.isEmpty() || o.pdf.isEmpty()) {
        error = QStringLiteral("--request, --layout and --pdf are required");
        return false;
    }
    return true;
}

struct HospitalHeader {
    QString title, company, address;
};

// The heading the component reads before every request: the first row of the hospital table.
HospitalHeader readHospitalHeader(corvane::Connection &db)
{
    HospitalHeader h;
    corvane::Recordset rs = db.query(corvane::Command("select * from Patient_Data..tbHospitalInfo"));
    if (!rs.eof()) {
        h.title = rs.field(QStringLiteral("Title")).toStringOr().toUpper();
        h.company = rs.field(QStringLiteral("Company")).toStringOr().toUpper();
        h.address = rs.field(QStringLiteral("address1")).toStringOr();
    }
    return h;
}

void fill(corvane::ReportDocument &report, const Options &o, const HospitalHeader &h)
{
    report.setParameterValue(QStringLiteral("RequestNum"), o.request);
    report.setParameterValue(QStringLiteral("HospitalTitle"), h.title);
    report.setParameterValue(QStringLiteral("HospitalCompany"), h.company);
    report.setParameterValue(QStringLiteral("HospitalAddress"), h.address);
    for (const auto &[name, value] : o.params)
        report.setParameterValue(name, value);
}

} // namespace

int printCommand(const QStringList &args)
{
    QTextStream err(stderr);
    Options o;
    QString error;
    if (!parse(args, o, error)) {
        err << "labhost print: " << error << '\n' << kUsage;
        return 2;
    }

    std::unique_ptr<QGuiApplication> app;
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "labhost";
        static char *argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        err << "labhost print: the program was started without its GUI library\n";
        return 1;
    }

    try {
        const QString connectionString = connectionStringFor(o.source);
        const corvane::ConnectionOptions login = corvane::ConnectionOptions::parse(connectionString);
        HospitalHeader header;
        {
            auto db = corvane::Connection::open(connectionString);
            header = readHospitalHeader(*db);
        }

        std::shared_ptr<corvane::ReportDocument> report = corvane::ReportDocument::open(o.layout);
        report->setTitle(header.company);
        const corvane::LogOnInfo logOn{login.dataSource, QString(), login.user, login.password};
        const QString database = QStringLiteral("LABORATORY");
        report->retarget(database, logOn);
        fill(*report, o, header);
        for (auto &sub : report->subreports()) {
            sub->retarget(database, logOn);
            fill(*sub, o, header);
        }

        const corvane::RenderedReport pages = report->render();
        pages.writePdf(o.pdf);
        QTextStream(stdout) << "Wrote " << o.pdf << " (" << pages.pageCount()
                            << (pages.pageCount() == 1 ? " page)\n" : " pages)\n");
    } catch (const std::exception &e) {
        err << "Error: " << e.what() << '\n';
        if (QString::fromUtf8(e.what()).contains(QLatin1String("was not found"))) {
            QStringList names;
            for (const QFileInfo &f : QDir(corvane::reportsFolder()).entryInfoList({QStringLiteral("*.rpt")}, QDir::Files,
                                                                                   QDir::Name | QDir::IgnoreCase))
                names << f.completeBaseName();
            err << "Layouts: " << names.join(QStringLiteral(", ")) << '\n';
        }
        return 1;
    }
    return 0;
}

} // namespace labhost
