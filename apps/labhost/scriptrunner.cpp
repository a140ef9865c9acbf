#include "scriptrunner.h"

#include "gridcell.h"

#include "host/clsresultentry.h"
#include "session/sessioncontext.h"

#include <labdb/driver.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMetaObject>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimeEdit>
#include <QTimer>

namespace labhost {

namespace {

// "txtResult(0)" is the control txtResult_0.
QString objectNameOf(const QString &scriptName)
{
    static const QRegularExpression indexed(QStringLiteral("^(\\w+)\\((\\d+)\\)$"));
    const auto m = indexed.match(scriptName);
    return m.hasMatch() ? m.captured(1) + QLatin1Char('_') + m.captured(2) : scriptName;
}

int keyCode(const QString &name)
{
    static const QList<std::pair<QString, int>> keys = {
        {QStringLiteral("Enter"), Qt::Key_Return}, {QStringLiteral("Return"), Qt::Key_Return},
        {QStringLiteral("Tab"), Qt::Key_Tab},      {QStringLiteral("Esc"), Qt::Key_Escape},
        {QStringLiteral("Up"), Qt::Key_Up},        {QStringLiteral("Down"), Qt::Key_Down},
        {QStringLiteral("Left"), Qt::Key_Left},    {QStringLiteral("Right"), Qt::Key_Right},
        {QStringLiteral("Delete"), Qt::Key_Delete}, {QStringLiteral("Backspace"), Qt::Key_Backspace},
        {QStringLiteral("Home"), Qt::Key_Home},    {QStringLiteral("End"), Qt::Key_End},
        {QStringLiteral("PageUp"), Qt::Key_PageUp}, {QStringLiteral("PgUp"), Qt::Key_PageUp},
        {QStringLiteral("PageDown"), Qt::Key_PageDown}, {QStringLiteral("PgDn"), Qt::Key_PageDown},
        {QStringLiteral("Escape"), Qt::Key_Escape}, {QStringLiteral("Space"), Qt::Key_Space},
        {QStringLiteral("Insert"), Qt::Key_Insert},
    };
    for (const auto &[n, k] : keys) {
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return k;
    }
    static const QRegularExpression function(QStringLiteral("^[Ff](\\d{1,2})$"));
    if (const auto m = function.match(name); m.hasMatch())
        return Qt::Key_F1 + m.captured(1).toInt() - 1;
    return 0;
}

// The key a character is typed with: printable ASCII keys carry their upper-case code, as a
// keyboard's do ('.' is Qt::Key_Period); others come as text only.
int keyOf(QChar c)
{
    return c.unicode() >= 0x20 && c.unicode() < 0x7f ? c.toUpper().unicode() : 0;
}

// "Shift+F1", "Ctrl+Alt+End": the modifiers written before a key name.
Qt::KeyboardModifiers modifiersOf(QString &name)
{
    Qt::KeyboardModifiers mods;
    static const QList<std::pair<QString, Qt::KeyboardModifier>> prefixes = {
        {QStringLiteral("Shift+"), Qt::ShiftModifier},
        {QStringLiteral("Ctrl+"), Qt::ControlModifier},
        {QStringLiteral("Alt+"), Qt::AltModifier},
    };
    for (bool found = true; found;) {
        found = false;
        for (const auto &[prefix, mod] : prefixes) {
            if (name.startsWith(prefix, Qt::CaseInsensitive)) {
                mods |= mod;
                name = name.mid(prefix.size());
                found = true;
            }
        }
    }
    return mods;
}

void sendKey(QWidget *target, int key, const QString &text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    target->setFocus();
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(target, &release);
    QApplication::processEvents();
}

bool boolValue(const QString &v)
{
    return v.compare(QLatin1String("on"), Qt::CaseInsensitive) == 0 ||
           v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
           v.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0 || v == QLatin1String("-1") ||
           v == QLatin1String("1");
}

QString iconName(QMessageBox::Icon icon)
{
    switch (icon) {
    case QMessageBox::Information:
        return QStringLiteral("information");
    case QMessageBox::Warning:
        return QStringLiteral("exclamation");
    case QMessageBox::Critical:
        return QStringLiteral("critical");
    case QMessageBox::Question:
        return QStringLiteral("question");
    default:
        return QStringLiteral("none");
    }
}

QMessageBox::StandardButton buttonNamed(const QString &name)
{
    static const QList<std::pair<QString, QMessageBox::StandardButton>> buttons = {
        {QStringLiteral("OK"), QMessageBox::Ok},       {QStringLiteral("Cancel"), QMessageBox::Cancel},
        {QStringLiteral("Yes"), QMessageBox::Yes},     {QStringLiteral("No"), QMessageBox::No},
        {QStringLiteral("Abort"), QMessageBox::Abort}, {QStringLiteral("Retry"), QMessageBox::Retry},
        {QStringLiteral("Ignore"), QMessageBox::Ignore},
    };
    for (const auto &[n, b] : buttons) {
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return b;
    }
    return QMessageBox::NoButton;
}

// A caption as the user reads it: "&Results" is "Results".
QString plainCaption(QString caption)
{
    static const QRegularExpression mnemonic(QStringLiteral("&(.)"));
    return caption.replace(mnemonic, QStringLiteral("\\1"));
}

QModelIndex findEntry(const QAbstractItemView &view, const QString &text)
{
    const QAbstractItemModel *model = view.model();
    if (!model)
        return {};
    for (int r = 0; r < model->rowCount(view.rootIndex()); ++r) {
        for (int c = 0; c < model->columnCount(view.rootIndex()); ++c) {
            const QModelIndex index = model->index(r, c, view.rootIndex());
            if (index.data().toString() == text)
                return index;
        }
    }
    return {};
}

// The actions on a window's controls.
const QStringList &windowVerbs()
{
    static const QStringList verbs{QStringLiteral("set"),           QStringLiteral("type"),
                                   QStringLiteral("key"),           QStringLiteral("click"),
                                   QStringLiteral("check"),         QStringLiteral("choose"),
                                   QStringLiteral("tab"),           QStringLiteral("focus"),
                                   QStringLiteral("expect"),        QStringLiteral("expect-enabled"),
                                   QStringLiteral("expect-contains"), QStringLiteral("expect-focus"),
                                   QStringLiteral("expect-visible"),
                                   QStringLiteral("close"),         QStringLiteral("pdf")};
    return verbs;
}

// How long "pause until" waits before it gives the run up.
constexpr int kPauseSeconds = 60;

} // namespace

QString controlValue(const QWidget &w)
{
    if (const auto *e = qobject_cast<const QLineEdit *>(&w))
        return e->text();
    if (const auto *e = qobject_cast<const QTextEdit *>(&w))
        return e->toPlainText();
    if (const auto *e = qobject_cast<const QPlainTextEdit *>(&w))
        return e->toPlainText();
    if (const auto *e = qobject_cast<const QComboBox *>(&w))
        return e->currentText();
    if (const auto *e = qobject_cast<const QTimeEdit *>(&w))
        return QLocale::c().toString(e->time(), QStringLiteral("hh:mm AP"));
    if (const auto *e = qobject_cast<const QDateEdit *>(&w))
        return e->date().toString(QStringLiteral("MM/dd/yyyy"));
    if (const auto *e = qobject_cast<const QAbstractButton *>(&w))
        return e->isCheckable() ? QString::fromLatin1(e->isChecked() ? "on" : "off") : e->text();
    if (const auto *e = qobject_cast<const QSpinBox *>(&w))
        return QString::number(e->value());
    if (const auto *e = qobject_cast<const QLabel *>(&w))
        return e->text();
    if (const auto *e = qobject_cast<const QTabWidget *>(&w))
        return plainCaption(e->tabText(e->currentIndex()));
    if (const auto *e = qobject_cast<const QAbstractItemView *>(&w))
        return e->currentIndex().data().toString();
    if (const auto *e = qobject_cast<const QAbstractSpinBox *>(&w))
        return e->text();
    // Controls the runner does not know by type (the screens' own) show their user property.
    const QMetaProperty user = w.metaObject()->userProperty();
    if (!user.isValid())
        return {};
    const QVariant value = user.read(&w);
    if (value.typeId() == QMetaType::Bool)
        return QString::fromLatin1(value.toBool() ? "on" : "off");
    return value.toString();
}

ScriptRunner::ScriptRunner(QTextStream &log) : m_log(log) {}

ScriptRunner::~ScriptRunner() = default;

void ScriptRunner::load(const QString &script)
{
    for (ScriptLine &l : parseScript(script))
        m_lines.push_back(std::move(l));
}

bool ScriptRunner::run(const QString &script)
{
    load(script);
    corvane::ScopedUiSeam seam(*this);
    while (m_next < m_lines.size())
        runTopLevel(m_lines[m_next++]);
    m_log << (m_ok ? "OUTCOME passed\n" : "OUTCOME failed\n");
    m_log.flush();
    return m_ok;
}

bool ScriptRunner::run(const QString &script, QDialog &window)
{
    load(script);
    corvane::ScopedUiSeam seam(*this);
    corvane::showModal(window);
    while (m_next < m_lines.size())
        runTopLevel(m_lines[m_next++]);
    m_log << (m_ok ? "OUTCOME passed\n" : "OUTCOME failed\n");
    m_log.flush();
    return m_ok;
}

void ScriptRunner::armFault(const Line &line)
{
    // Validation scripts and the fault tests fail one statement of the next save on purpose.
    bool number = false;
    const int statement = line.args.value(0).toInt(&number);
    const QString kind = line.args.value(1, QStringLiteral("error"));
    if (!number || statement < 1 || (kind != QLatin1String("error") && kind != QLatin1String("lost")))
        return fail(line, QStringLiteral("fault wants \"fault N [error|lost]\""));
    labdb::armFault(statement, kind == QLatin1String("lost") ? labdb::Fault::LostConnection
                                                             : labdb::Fault::ServerError);
    m_log << "FAULT statement " << statement << ' ' << kind << '\n';
}

bool ScriptRunner::runSignal(const Line &line)
{
    const QString file = line.args.value(line.verb == QLatin1String("pause") ? 1 : 0);
    if (line.verb == QLatin1String("touch")) {
        QFile f(file);
        if (file.isEmpty() || !f.open(QIODevice::WriteOnly | QIODevice::Append))
            fail(line, QStringLiteral("cannot create the file \"%1\"").arg(file));
        else
            m_log << "TOUCH " << file << '\n';
        return true;
    }
    if (line.verb == QLatin1String("fault")) {
        armFault(line);
        return true;
    }
    if (line.verb != QLatin1String("pause"))
        return false;
    if (line.args.value(0) != QLatin1String("until") || file.isEmpty()) {
        fail(line, QStringLiteral("pause wants \"pause until FILE [SECONDS]\""));
        return true;
    }
    const int seconds = line.args.size() > 2 ? line.args[2].toInt() : kPauseSeconds;
    m_log << "PAUSE until " << file << '\n';
    m_log.flush();
    // The screens stay alive while another workstation takes its turn.
    QElapsedTimer waited;
    waited.start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (QFileInfo::exists(file) || waited.elapsed() >= seconds * 1000LL)
            loop.quit();
    });
    poll.start(25);
    if (!QFileInfo::exists(file))
        loop.exec();
    if (!QFileInfo::exists(file)) {
        fail(line, QStringLiteral("gave up after %1 s waiting for \"%2\"; the rest of the script is skipped")
                       .arg(seconds)
                       .arg(file));
        m_next = m_lines.size();
        return true;
    }
    m_log << "RESUMED " << file << '\n';
    return true;
}

void ScriptRunner::fail(const Line &line, const QString &why)
{
    m_ok = false;
    m_log << "FAIL line " << line.number << ": " << why << "   [" << line.source << "]\n";
}

corvane::clsResultEntry &ScriptRunner::component()
{
    if (!m_component) {
        m_component = std::make_unique<corvane::clsResultEntry>();
        corvane::SessionContext::current().db().setCommandObserver(
            [this](const QString &text) { m_log << "SQL  " << text << '\n'; });
    }
    return *m_component;
}

void ScriptRunner::runTopLevel(const Line &line)
{
    if (!line.window.isEmpty()) {
        fail(line, QStringLiteral("no window %1 is open").arg(line.window));
        return;
    }
    try {
        if (runSignal(line))
            return;
        if (line.verb == QLatin1String("session")) {
            corvane::clsResultEntry &c = component();
            for (const QString &setting : line.args) {
                const QString key = setting.section(QLatin1Char('='), 0, 0);
                const QString value = setting.section(QLatin1Char('='), 1);
                if (key == QLatin1String("EmployeeCode"))
                    c.setEmployeeCode(value);
                else if (key == QLatin1String("EmployeeName"))
                    c.setEmployeeName(value);
                else if (key == QLatin1String("CanVerify"))
                    c.setCanVerify(boolValue(value));
                else if (key == QLatin1String("VerifyMode"))
                    c.setVerifyMode(boolValue(value));
                else if (key == QLatin1String("EditMode"))
                    c.setEditMode(boolValue(value));
                else if (key == QLatin1String("Clerk"))
                    c.setClerk(boolValue(value));
                else if (key == QLatin1String("EntryMode"))
                    c.setEntryMode(static_cast<qint16>(value.toInt()));
                else if (key == QLatin1String("ExamID")) {
                    QString id = value;
                    c.Get_ExamID(id);
                } else {
                    fail(line, QStringLiteral("unknown session value %1").arg(key));
                }
            }
            m_log << "SESSION " << line.args.join(QLatin1Char(' ')) << '\n';
        } else if (line.verb == QLatin1String("clock")) {
            // The server's clock, pinned so that default dates are known in advance.
            const QDateTime at = QDateTime::fromString(line.args.join(QLatin1Char(' ')),
                                                       QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            if (!at.isValid())
                return fail(line, QStringLiteral("clock wants \"yyyy-MM-dd HH:mm:ss\""));
            component();
            corvane::SessionContext::current().db().pinServerClock(at);
            m_log << "CLOCK " << at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << '\n';
        } else if (line.verb == QLatin1String("supervisors")) {
            qputenv("CORVANE_SUPERVISOR_CODES", line.args.join(QLatin1Char(',')).toUtf8());
        } else if (line.verb == QLatin1String("open")) {
            if (line.args.isEmpty())
                return fail(line, QStringLiteral("open needs a request number"));
            QString request = line.args.value(0);
            qint16 selector = static_cast<qint16>(line.args.value(1, QStringLiteral("0")).toInt());
            m_log << "OPEN request " << request << " intResult " << selector << '\n';
            component().Show_ResultEntry(request, selector);
            m_log << "RETURNED to host\n";
        } else if (line.verb == QLatin1String("open-screen")) {
            if (line.args.size() < 2)
                return fail(line, QStringLiteral("open-screen needs a screen name and a request number"));
            m_log << "OPEN screen " << line.args[0] << " request " << line.args[1] << '\n';
            component().Show_Screen(line.args[0], line.args[1]);
            m_log << "RETURNED to host\n";
        } else if (line.verb == QLatin1String("query")) {
            corvane::Recordset rs = corvane::SessionContext::current().db().query(
                corvane::Command::fromText(line.args.join(QLatin1Char(' '))));
            for (; !rs.eof(); rs.moveNext()) {
                QStringList cells;
                for (int c = 0; c < rs.fieldCount(); ++c)
                    cells << rs.fieldName(c) + QLatin1Char('=') + rs.field(c).toStringOr(QStringLiteral("NULL"));
                m_log << "ROW  " << cells.join(QStringLiteral(" | ")) << '\n';
            }
        } else if (line.verb == QLatin1String("answer")) {
            fail(line, QStringLiteral("no message box is waiting for an answer"));
        } else if (windowVerbs().contains(line.verb)) {
            fail(line, QStringLiteral("'%1' needs an open window").arg(line.verb));
        } else {
            fail(line, QStringLiteral("unknown action '%1'").arg(line.verb));
        }
    } catch (const std::exception &e) {
        m_ok = false;
        m_log << "ERROR " << QString::fromStdString(e.what()) << '\n';
    }
}

const ScriptRunner::Line *ScriptRunner::takeAnswer()
{
    if (m_next >= m_lines.size() || m_lines[m_next].verb != QLatin1String("answer"))
        return nullptr;
    return &m_lines[m_next++];
}

QMessageBox::StandardButton ScriptRunner::message(const corvane::MessageRequest &request)
{
    m_log << "MSG  [" << request.title << "] " << request.text << " (" << iconName(request.icon) << ")\n";
    const auto bits = request.buttons.toInt();
    const auto fallback = static_cast<QMessageBox::StandardButton>(bits & -bits);
    const Line *answerLine = takeAnswer();
    if (!answerLine) {
        m_ok = false;
        m_log << "FAIL an unexpected message box; answered " << (fallback == QMessageBox::Ok ? "OK" : "default")
              << '\n';
        return fallback;
    }
    const Line &line = *answerLine;
    const QMessageBox::StandardButton answer = buttonNamed(line.args.value(0, QStringLiteral("OK")));
    if (line.args.size() > 1 && line.args[1] != request.text)
        fail(line, QStringLiteral("expected the message \"%1\"").arg(line.args[1]));
    if (!(request.buttons & answer)) {
        fail(line, QStringLiteral("the message box has no %1 button").arg(line.args.value(0)));
        return fallback;
    }
    m_log << "ANSWER " << line.args.value(0, QStringLiteral("OK")) << '\n';
    return answer;
}

std::optional<QString> ScriptRunner::input(const corvane::InputRequest &request)
{
    m_log << "INPUT [" << request.title << "] " << request.prompt << '\n';
    const Line *line = takeAnswer();
    if (!line) {
        m_ok = false;
        m_log << "FAIL an unexpected input box; cancelled\n";
        return std::nullopt;
    }
    if (line->args.size() > 1 && line->args[1] != request.prompt)
        fail(*line, QStringLiteral("expected the prompt \"%1\"").arg(line->args[1]));
    // Unquoted, Cancel and OK are the box's buttons; anything else is the text typed.
    const QString first = line->args.value(0);
    const bool button = !line->quoted.value(0, false);
    if (button && first.compare(QLatin1String("Cancel"), Qt::CaseInsensitive) == 0) {
        m_log << "ANSWER Cancel\n";
        return std::nullopt;
    }
    const QString text =
        button && (first.isEmpty() || first.compare(QLatin1String("OK"), Qt::CaseInsensitive) == 0)
            ? request.defaultText
            : first;
    m_log << "ANSWER \"" << text << "\"\n";
    return text;
}

int ScriptRunner::modal(QDialog &dialog)
{
    const QString name = dialog.objectName();
    m_log << "SHOW " << name << " \"" << dialog.windowTitle() << "\"\n";
    bool finished = false;
    const QMetaObject::Connection done =
        QObject::connect(&dialog, &QDialog::finished, &dialog, [&finished] { finished = true; });
    dialog.show();
    dialog.activateWindow();
    QApplication::processEvents();
    while (!finished) {
        if (m_next >= m_lines.size()) {
            m_ok = false;
            m_log << "FAIL the script ended while " << name << " was open\n";
            dialog.reject();
            break;
        }
        const Line &line = m_lines[m_next];
        if (!line.window.isEmpty() && line.window != name) {
            ++m_next;
            fail(line, QStringLiteral("%1 is open, not %2").arg(name, line.window));
            dialog.reject();
            break;
        }
        ++m_next;
        if (line.verb == QLatin1String("answer")) {
            fail(line, QStringLiteral("no message box is waiting for an answer"));
            continue;
        }
        try {
            act(line, dialog);
        } catch (const std::exception &e) {
            // What the host would have received: the screen is gone with the error.
            m_ok = false;
            m_log << "ERROR " << QString::fromStdString(e.what()) << '\n';
            dialog.reject();
        }
    }
    QObject::disconnect(done);
    dialog.hide();
    m_log << "CLOSED " << name << '\n';
    return dialog.result();
}

QWidget *ScriptRunner::control(const Line &line, QWidget &window, const QString &name)
{
    const QString objectName = objectNameOf(name);
    QWidget *w = window.objectName() == objectName ? &window : window.findChild<QWidget *>(objectName);
    if (!w)
        fail(line, QStringLiteral("%1 has no control %2").arg(window.objectName(), name));
    return w;
}

void ScriptRunner::act(const Line &line, QWidget &window)
{
    const QString &verb = line.verb;
    if (runSignal(line))
        return;
    if (verb == QLatin1String("close")) {
        if (auto *d = qobject_cast<QDialog *>(&window))
            d->reject();
        return;
    }
    if (verb == QLatin1String("pdf")) {
        if (!QMetaObject::invokeMethod(&window, "savePdf", Q_ARG(QString, line.args.value(0))))
            fail(line, QStringLiteral("%1 cannot save a PDF").arg(window.objectName()));
        return;
    }
    if (!windowVerbs().contains(verb))
        return fail(line, QStringLiteral("unknown action '%1'").arg(verb));
    if (const std::optional<CellName> cell = cellName(line.args.value(0)))
        return actOnCell(line, window, *cell);
    QWidget *w = control(line, window, line.args.value(0));
    if (!w)
        return;
    const QString &name = line.args.value(0);
    const QString value = line.args.mid(1).join(QLatin1Char(' '));
    if (verb == QLatin1String("set")) {
        if (auto *e = qobject_cast<QLineEdit *>(w))
            e->setText(value);
        else if (auto *e = qobject_cast<QTextEdit *>(w))
            e->setPlainText(value);
        else if (auto *e = qobject_cast<QPlainTextEdit *>(w))
            e->setPlainText(value);
        else if (auto *e = qobject_cast<QComboBox *>(w))
            e->setCurrentText(value);
        else if (auto *e = qobject_cast<QTimeEdit *>(w))
            e->setTime(QLocale::c().toTime(value, QStringLiteral("hh:mm AP")));
        else if (auto *e = qobject_cast<QDateEdit *>(w))
            e->setDate(QDate::fromString(value, QStringLiteral("MM/dd/yyyy")));
        else if (auto *e = qobject_cast<QSpinBox *>(w))
            e->setValue(value.toInt());
        else if (const QMetaProperty user = w->metaObject()->userProperty(); user.isValid() && user.isWritable()) {
            // The screens' own controls (and spin boxes of every kind) by their user property.
            const QVariant v = user.metaType().id() == QMetaType::Bool ? QVariant(boolValue(value)) : QVariant(value);
            if (!user.write(w, v))
                fail(line, QStringLiteral("%1 does not take \"%2\"").arg(name, value));
        } else {
            fail(line, QStringLiteral("cannot set a value in %1").arg(name));
        }
    } else if (verb == QLatin1String("type")) {
        for (const QChar c : value)
            sendKey(w, keyOf(c), QString(c));
    } else if (verb == QLatin1String("key")) {
        QString keyName = line.args.value(1);
        const Qt::KeyboardModifiers mods = modifiersOf(keyName);
        const int key = keyCode(keyName);
        if (!key)
            return fail(line, QStringLiteral("unknown key %1").arg(line.args.value(1)));
        sendKey(w, key, {}, mods);
    } else if (verb == QLatin1String("click")) {
        auto *b = qobject_cast<QAbstractButton *>(w);
        if (!b)
            return fail(line, QStringLiteral("%1 is not a button").arg(name));
        if (!b->isEnabled())
            return fail(line, QStringLiteral("%1 is disabled").arg(name));
        b->click();
    } else if (verb == QLatin1String("check")) {
        // A click, as the user checks it: the screen sees the same events.
        auto *b = qobject_cast<QAbstractButton *>(w);
        if (!b || !b->isCheckable())
            return fail(line, QStringLiteral("%1 cannot be checked").arg(name));
        if (!b->isEnabled())
            return fail(line, QStringLiteral("%1 is disabled").arg(name));
        const bool want = value.isEmpty() || boolValue(value);
        if (b->isChecked() != want)
            b->click();
        if (b->isChecked() != want)
            fail(line, want || !qobject_cast<QRadioButton *>(b)
                           ? QStringLiteral("%1 did not change").arg(name)
                           : QStringLiteral("%1 is an option: check another option of its group").arg(name));
    } else if (verb == QLatin1String("expect")) {
        const QString actual = controlValue(*w);
        if (actual != value)
            fail(line, QStringLiteral("%1 is \"%2\"").arg(name, actual));
        else
            m_log << "EXPECT " << name << " = \"" << value << "\" ok\n";
    } else if (verb == QLatin1String("expect-enabled")) {
        const bool want = boolValue(value);
        if (w->isEnabled() != want)
            fail(line, QStringLiteral("%1 is %2").arg(name, w->isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled")));
        else
            m_log << "EXPECT " << name << (want ? " enabled" : " disabled") << " ok\n";
    } else if (verb == QLatin1String("expect-visible")) {
        const bool want = boolValue(value);
        bool shown = w->isVisibleTo(w->window());
        // A page of a tab control is shown when its tab is, whichever page is open.
        if (auto *tabs = w->parentWidget() ? qobject_cast<QTabWidget *>(w->parentWidget()->parentWidget()) : nullptr;
            tabs && tabs->indexOf(w) >= 0)
            shown = tabs->isTabVisible(tabs->indexOf(w)) && tabs->isVisibleTo(w->window());
        if (shown != want)
            fail(line, QStringLiteral("%1 is %2").arg(name, shown ? QStringLiteral("shown") : QStringLiteral("hidden")));
        else
            m_log << "EXPECT " << name << (want ? " shown" : " hidden") << " ok\n";
    } else if (verb == QLatin1String("choose")) {
        choose(line, w, value);
    } else if (verb == QLatin1String("tab")) {
        openTab(line, w, value);
    } else if (verb == QLatin1String("expect-contains")) {
        const QString actual = controlValue(*w);
        if (!actual.contains(value))
            fail(line, QStringLiteral("%1 is \"%2\"").arg(name, actual));
        else
            m_log << "EXPECT " << name << " contains \"" << value << "\" ok\n";
    } else if (verb == QLatin1String("expect-focus")) {
        QWidget *focus = QApplication::focusWidget();
        if (focus != w && !w->isAncestorOf(focus))
            fail(line, QStringLiteral("the focus is in %1").arg(focus ? focus->objectName() : QStringLiteral("nothing")));
        else
            m_log << "EXPECT focus in " << name << " ok\n";
    } else if (verb == QLatin1String("focus")) {
        w->setFocus();
    }
}

void ScriptRunner::choose(const Line &line, QWidget *w, const QString &value)
{
    const QString &name = line.args.value(0);
    if (!w->isEnabled())
        return fail(line, QStringLiteral("%1 is disabled").arg(name));
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        // As a user picks from the list: the choice raises the list's activation.
        const int index = combo->findText(value);
        if (index < 0)
            return fail(line, QStringLiteral("%1 does not offer \"%2\"").arg(name, value));
        combo->setCurrentIndex(index);
        Q_EMIT combo->activated(index);
        Q_EMIT combo->textActivated(combo->itemText(index));
        return;
    }
    auto *view = qobject_cast<QAbstractItemView *>(w);
    if (!view)
        return fail(line, QStringLiteral("%1 is not a list").arg(name));
    const QModelIndex entry = findEntry(*view, value);
    if (!entry.isValid())
        return fail(line, QStringLiteral("%1 does not offer \"%2\"").arg(name, value));
    // A click on the entry, as the user picks it.
    view->scrollTo(entry);
    clickAt(view->viewport(), view->visualRect(entry).center());
    if (view->currentIndex().row() != entry.row())
        fail(line, QStringLiteral("%1 did not take \"%2\"").arg(name, value));
}

void ScriptRunner::openTab(const Line &line, QWidget *w, const QString &page)
{
    const QString &name = line.args.value(0);
    auto *tabs = qobject_cast<QTabWidget *>(w);
    QTabBar *bar = tabs ? tabs->tabBar() : qobject_cast<QTabBar *>(w);
    if (!bar)
        return fail(line, QStringLiteral("%1 has no pages").arg(name));
    int index = -1;
    for (int i = 0; i < bar->count() && index < 0; ++i) {
        if (plainCaption(bar->tabText(i)) == page)
            index = i;
    }
    bool number = false;
    if (const int i = page.toInt(&number); index < 0 && number && i >= 0 && i < bar->count())
        index = i;
    if (index < 0)
        return fail(line, QStringLiteral("%1 has no page \"%2\"").arg(name, page));
    if (!bar->isTabEnabled(index) || !bar->isEnabled())
        return fail(line, QStringLiteral("the page \"%1\" of %2 is disabled").arg(page, name));
    const QRect rect = bar->tabRect(index);
    if (rect.isValid() && bar->isVisible())
        clickAt(bar, rect.center());
    else
        bar->setCurrentIndex(index);
    if (bar->currentIndex() != index)
        fail(line, QStringLiteral("the page \"%1\" of %2 did not open").arg(page, name));
}

void ScriptRunner::actOnCell(const Line &line, QWidget &window, const CellName &name)
{
    const QString &cellText = line.args.value(0);
    QWidget *w = control(line, window, name.control);
    if (!w)
        return;
    QString why;
    std::optional<GridCell> cell = GridCell::at(w, name.row, name.column, &why);
    if (!cell)
        return fail(line, why);
    const QString &verb = line.verb;
    const QString value = line.args.mid(1).join(QLatin1Char(' '));
    if (verb == QLatin1String("expect")) {
        const QString actual = cell->text();
        if (actual != value)
            return fail(line, QStringLiteral("%1 is \"%2\"").arg(cellText, actual));
        m_log << "EXPECT " << cellText << " = \"" << value << "\" ok\n";
    } else if (verb == QLatin1String("expect-contains")) {
        const QString actual = cell->text();
        if (!actual.contains(value))
            return fail(line, QStringLiteral("%1 is \"%2\"").arg(cellText, actual));
        m_log << "EXPECT " << cellText << " contains \"" << value << "\" ok\n";
    } else if (verb == QLatin1String("expect-enabled")) {
        const bool want = boolValue(value);
        if (cell->editable() != want)
            return fail(line, QStringLiteral("%1 is %2").arg(cellText, cell->editable() ? QStringLiteral("editable")
                                                                                         : QStringLiteral("read-only")));
        m_log << "EXPECT " << cellText << (want ? " enabled" : " disabled") << " ok\n";
    } else if (verb == QLatin1String("set") || verb == QLatin1String("type")) {
        if (!cell->editable())
            return fail(line, QStringLiteral("%1 cannot be edited").arg(cellText));
        if (verb == QLatin1String("set"))
            return cell->setValue(value);
        cell->go();
        if (!cell->openEditor())
            return fail(line, QStringLiteral("%1 opened no editor").arg(cellText));
        for (const QChar c : value)
            sendKey(cell->keyTarget(), keyOf(c), QString(c));
    } else if (verb == QLatin1String("key")) {
        const int key = keyCode(line.args.value(1));
        if (!key)
            return fail(line, QStringLiteral("unknown key %1").arg(line.args.value(1)));
        if (cell->isHeading() || !w->isEnabled())
            return fail(line, QStringLiteral("%1 cannot take keys: it is %2")
                                  .arg(cellText, w->isEnabled() ? QStringLiteral("a heading") : QStringLiteral("disabled")));
        cell->go();
        sendKey(cell->keyTarget(), key);
    } else if (verb == QLatin1String("focus") || verb == QLatin1String("click")) {
        if (cell->isHeading() || !w->isEnabled())
            return fail(line, QStringLiteral("%1 cannot be clicked").arg(cellText));
        cell->go();
    } else {
        fail(line, QStringLiteral("'%1' does not act on a grid cell").arg(verb));
    }
}

} // namespace labhost
