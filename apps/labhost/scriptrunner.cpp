#include "scriptrunner.h"

#include "host/clsresultentry.h"
#include "session/sessioncontext.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTextEdit>
#include <QTimeEdit>

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

void sendKey(QWidget *target, int key, const QString &text = {})
{
    target->setFocus();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
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
    return {};
}

ScriptRunner::ScriptRunner(QTextStream &log) : m_log(log) {}

ScriptRunner::~ScriptRunner() = default;

ScriptRunner::Line ScriptRunner::parseLine(int number, const QString &text)
{
    Line line;
    line.number = number;
    line.source = text.trimmed();
    QStringList tokens;
    QString current;
    bool quoted = false, inToken = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    current += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                current += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = inToken = true;
        } else if (c.isSpace()) {
            if (inToken)
                tokens << current;
            current.clear();
            inToken = false;
        } else if (c == QLatin1Char('#') && !inToken) {
            break;
        } else {
            current += c;
            inToken = true;
        }
    }
    if (inToken)
        tokens << current;
    if (!tokens.isEmpty() && tokens.first().endsWith(QLatin1Char(':')) && tokens.first().size() > 1) {
        line.window = tokens.takeFirst().chopped(1);
    }
    if (!tokens.isEmpty())
        line.verb = tokens.takeFirst().toLower();
    line.args = tokens;
    return line;
}

bool ScriptRunner::run(const QString &script)
{
    const QStringList lines = script.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        Line l = parseLine(i + 1, lines[i]);
        if (!l.verb.isEmpty())
            m_lines.push_back(std::move(l));
    }
    corvane::ScopedUiSeam seam(*this);
    while (m_next < m_lines.size())
        runTopLevel(m_lines[m_next++]);
    m_log << (m_ok ? "OUTCOME passed\n" : "OUTCOME failed\n");
    m_log.flush();
    return m_ok;
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
        } else {
            fail(line, QStringLiteral("'%1' needs an open window").arg(line.verb));
        }
    } catch (const std::exception &e) {
        m_ok = false;
        m_log << "ERROR " << QString::fromStdString(e.what()) << '\n';
    }
}

QMessageBox::StandardButton ScriptRunner::message(const corvane::MessageRequest &request)
{
    m_log << "MSG  [" << request.title << "] " << request.text << " (" << iconName(request.icon) << ")\n";
    const auto bits = request.buttons.toInt();
    const auto fallback = static_cast<QMessageBox::StandardButton>(bits & -bits);
    if (m_next >= m_lines.size() || m_lines[m_next].verb != QLatin1String("answer")) {
        m_ok = false;
        m_log << "FAIL an unexpected message box; answered " << (fallback == QMessageBox::Ok ? "OK" : "default")
              << '\n';
        return fallback;
    }
    const Line &line = m_lines[m_next++];
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
    QWidget *w = control(line, window, line.args.value(0));
    if (!w)
        return;
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
        else
            fail(line, QStringLiteral("cannot set a value in %1").arg(line.args.value(0)));
    } else if (verb == QLatin1String("type")) {
        for (const QChar c : value)
            sendKey(w, c.isLetterOrNumber() ? c.toUpper().unicode() : 0, QString(c));
    } else if (verb == QLatin1String("key")) {
        const int key = keyCode(line.args.value(1));
        if (!key)
            return fail(line, QStringLiteral("unknown key %1").arg(line.args.value(1)));
        sendKey(w, key);
    } else if (verb == QLatin1String("click")) {
        auto *b = qobject_cast<QAbstractButton *>(w);
        if (!b)
            return fail(line, QStringLiteral("%1 is not a button").arg(line.args.value(0)));
        if (!b->isEnabled())
            return fail(line, QStringLiteral("%1 is disabled").arg(line.args.value(0)));
        b->click();
    } else if (verb == QLatin1String("check")) {
        auto *b = qobject_cast<QAbstractButton *>(w);
        if (!b || !b->isCheckable())
            return fail(line, QStringLiteral("%1 cannot be checked").arg(line.args.value(0)));
        b->setChecked(value.isEmpty() || boolValue(value));
    } else if (verb == QLatin1String("expect")) {
        const QString actual = controlValue(*w);
        if (actual != value)
            fail(line, QStringLiteral("%1 is \"%2\"").arg(line.args.value(0), actual));
        else
            m_log << "EXPECT " << line.args.value(0) << " = \"" << value << "\" ok\n";
    } else if (verb == QLatin1String("expect-enabled")) {
        const bool want = boolValue(value);
        if (w->isEnabled() != want)
            fail(line, QStringLiteral("%1 is %2").arg(line.args.value(0), w->isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled")));
        else
            m_log << "EXPECT " << line.args.value(0) << (want ? " enabled" : " disabled") << " ok\n";
    } else if (verb == QLatin1String("choose")) {
        // As a user picks from the list: the choice raises the list's activation.
        auto *combo = qobject_cast<QComboBox *>(w);
        const int index = combo ? combo->findText(value) : -1;
        if (index < 0)
            return fail(line, QStringLiteral("%1 does not offer \"%2\"").arg(line.args.value(0), value));
        combo->setCurrentIndex(index);
        Q_EMIT combo->activated(index);
        Q_EMIT combo->textActivated(combo->itemText(index));
    } else if (verb == QLatin1String("expect-contains")) {
        const QString actual = controlValue(*w);
        if (!actual.contains(value))
            fail(line, QStringLiteral("%1 is \"%2\"").arg(line.args.value(0), actual));
        else
            m_log << "EXPECT " << line.args.value(0) << " contains \"" << value << "\" ok\n";
    } else if (verb == QLatin1String("expect-focus")) {
        QWidget *focus = QApplication::focusWidget();
        if (focus != w && !w->isAncestorOf(focus))
            fail(line, QStringLiteral("the focus is in %1").arg(focus ? focus->objectName() : QStringLiteral("nothing")));
        else
            m_log << "EXPECT focus in " << line.args.value(0) << " ok\n";
    } else if (verb == QLatin1String("focus")) {
        w->setFocus();
    } else {
        fail(line, QStringLiteral("unknown action '%1'").arg(verb));
    }
}

} // namespace labhost
