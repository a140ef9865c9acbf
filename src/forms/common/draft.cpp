#include "forms/common/draft.h"

#include "forms/common/grdentry.h"
#include "forms/common/requestheader.h"
#include "services/ui/messagebox.h"
#include "session/connsettings.h"
#include "session/errors.h"
#include "session/sessioncontext.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QLocale>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QSet>
#include <QSettings>
#include <QTextEdit>
#include <QUrl>

#include <functional>

namespace corvane {

namespace {

constexpr auto kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString cellKey(const QString &grid, int row, int column)
{
    return QStringLiteral("%1(%2,%3)").arg(grid).arg(row).arg(column);
}

// Controls whose parts carry names of their own (a list's text box, a grid's editor) are read
// through the control; controls of another window or of the request header are not typed here.
bool isPartOfAnother(const QWidget &screen, const QWidget &w)
{
    if (w.window() != screen.window())
        return true;
    for (const QWidget *p = w.parentWidget(); p && p != &screen; p = p->parentWidget()) {
        if (qobject_cast<const GrdEntry *>(p) || qobject_cast<const QComboBox *>(p) ||
            qobject_cast<const QAbstractSpinBox *>(p) || qobject_cast<const QAbstractItemView *>(p) ||
            qobject_cast<const RequestHeader *>(p))
            return true;
    }
    return false;
}

bool isChoice(const QWidget &w)
{
    if (qobject_cast<const QComboBox *>(&w))
        return true;
    const auto *button = qobject_cast<const QAbstractButton *>(&w);
    return button && button->isCheckable();
}

// Each named control once, the first of a name where a name repeats, in the screen's own order.
void forEachControl(const QWidget &screen, const std::function<void(QWidget &, const QString &)> &visit)
{
    QSet<QString> seen;
    const QList<QWidget *> widgets = screen.findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || seen.contains(name) ||
            isPartOfAnother(screen, *w))
            continue;
        seen.insert(name);
        visit(*w, name);
    }
}

void readGrid(const GrdEntry &grid, const QString &name, ControlValues &out)
{
    for (int r = grid.FixedRows(); r < grid.Rows(); ++r) {
        for (int c = grid.FixedCols(); c < grid.Cols(); ++c) {
            out.insert(cellKey(name, r, c), grid.TextMatrix(r, c));
            const QString note = grid.CellNote(r, c);
            if (!note.isEmpty())
                out.insert(cellKey(name, r, c) + QStringLiteral(" note"), note);
        }
    }
}

void readView(const QAbstractItemView &view, const QString &name, ControlValues &out)
{
    const QAbstractItemModel *model = view.model();
    if (!model)
        return;
    const QModelIndex root = view.rootIndex();
    for (int r = 0; r < model->rowCount(root); ++r) {
        for (int c = 0; c < model->columnCount(root); ++c) {
            const QModelIndex index = model->index(r, c, root);
            out.insert(cellKey(name, r, c), index.data(Qt::EditRole).toString());
            if (index.flags() & Qt::ItemIsUserCheckable)
                out.insert(cellKey(name, r, c) + QStringLiteral(" check"),
                           QString::number(index.data(Qt::CheckStateRole).toInt()));
        }
    }
}

// The value a single control shows; nothing for controls that take no input.
std::optional<QString> valueOf(const QWidget &w)
{
    if (const auto *e = qobject_cast<const QLineEdit *>(&w))
        return e->text();
    if (const auto *e = qobject_cast<const QTextEdit *>(&w))
        return e->toPlainText();
    if (const auto *e = qobject_cast<const QPlainTextEdit *>(&w))
        return e->toPlainText();
    if (const auto *e = qobject_cast<const QDateTimeEdit *>(&w))
        return e->dateTime().toString(Qt::ISODate);
    if (const auto *e = qobject_cast<const QAbstractButton *>(&w))
        return e->isCheckable() ? std::optional(QString::fromLatin1(e->isChecked() ? "on" : "off")) : std::nullopt;
    if (qobject_cast<const QComboBox *>(&w) || qobject_cast<const QAbstractSpinBox *>(&w)) {
        // The list's own text (a pick list's typed text) or the spin box's value.
        const QMetaProperty user = w.metaObject()->userProperty();
        return user.isValid() ? std::optional(user.read(&w).toString()) : std::nullopt;
    }
    return std::nullopt;
}

void writeUserProperty(QWidget &w, const QString &value)
{
    const QMetaProperty user = w.metaObject()->userProperty();
    if (user.isValid() && user.isWritable())
        user.write(&w, value);
}

void choose(QWidget &w, const QString &value)
{
    if (auto *combo = qobject_cast<QComboBox *>(&w)) {
        const int before = combo->currentIndex();
        writeUserProperty(*combo, value);
        const int now = combo->currentIndex();
        if (now != before && now >= 0) {
            Q_EMIT combo->activated(now);
            Q_EMIT combo->textActivated(combo->itemText(now));
        }
        return;
    }
    auto &button = static_cast<QAbstractButton &>(w);
    const bool want = value == QLatin1String("on");
    // An option is cleared by choosing another of its group, which has its own entry.
    if (button.isChecked() == want || (!want && button.autoExclusive()))
        return;
    if (button.isEnabled())
        button.click();
    if (button.isChecked() != want)
        button.setChecked(want);
}

void writeGrid(GrdEntry &grid, const QString &name, const ControlValues &values)
{
    for (int r = grid.FixedRows(); r < grid.Rows(); ++r) {
        for (int c = grid.FixedCols(); c < grid.Cols(); ++c) {
            const QString key = cellKey(name, r, c);
            if (const auto it = values.find(key); it != values.end() && grid.TextMatrix(r, c) != *it)
                grid.setTextMatrix(r, c, *it);
            if (const auto it = values.find(key + QStringLiteral(" note")); it != values.end())
                grid.setCellNote(r, c, *it);
        }
    }
}

void writeView(QAbstractItemView &view, const QString &name, const ControlValues &values)
{
    QAbstractItemModel *model = view.model();
    if (!model)
        return;
    const QModelIndex root = view.rootIndex();
    for (int r = 0; r < model->rowCount(root); ++r) {
        for (int c = 0; c < model->columnCount(root); ++c) {
            const QModelIndex index = model->index(r, c, root);
            const QString key = cellKey(name, r, c);
            if (const auto it = values.find(key); it != values.end() && index.data(Qt::EditRole).toString() != *it)
                model->setData(index, *it, Qt::EditRole);
            if (const auto it = values.find(key + QStringLiteral(" check")); it != values.end())
                model->setData(index, it->toInt(), Qt::CheckStateRole);
        }
    }
}

void writeValue(QWidget &w, const QString &value)
{
    if (valueOf(w) == value)
        return;
    if (auto *e = qobject_cast<QLineEdit *>(&w))
        e->setText(value);
    else if (auto *e = qobject_cast<QTextEdit *>(&w))
        e->setPlainText(value);
    else if (auto *e = qobject_cast<QPlainTextEdit *>(&w))
        e->setPlainText(value);
    else if (auto *e = qobject_cast<QDateTimeEdit *>(&w))
        e->setDateTime(QDateTime::fromString(value, Qt::ISODate));
    else if (qobject_cast<QAbstractSpinBox *>(&w) || qobject_cast<QComboBox *>(&w))
        writeUserProperty(w, value);
}

QString namePart(const QString &text)
{
    // Blanks, slashes and the separator itself cannot leak into the path or run two parts together.
    return QString::fromLatin1(QUrl::toPercentEncoding(text.trimmed(), {}, "_."));
}

} // namespace

ControlValues readControls(const QWidget &screen)
{
    ControlValues out;
    forEachControl(screen, [&](QWidget &w, const QString &name) {
        if (const auto *grid = qobject_cast<const GrdEntry *>(&w))
            readGrid(*grid, name, out);
        else if (const auto *view = qobject_cast<const QAbstractItemView *>(&w))
            readView(*view, name, out);
        else if (const std::optional<QString> value = valueOf(w))
            out.insert(name, *value);
    });
    return out;
}

ControlValues changedSince(const ControlValues &before, const ControlValues &now)
{
    ControlValues changed;
    for (auto it = now.begin(); it != now.end(); ++it) {
        const auto was = before.find(it.key());
        if (was == before.end() || *was != *it)
            changed.insert(it.key(), *it);
    }
    return changed;
}

void writeControls(QWidget &screen, const ControlValues &values)
{
    forEachControl(screen, [&](QWidget &w, const QString &name) {
        if (isChoice(w) && values.contains(name))
            choose(w, values.value(name));
    });
    forEachControl(screen, [&](QWidget &w, const QString &name) {
        if (auto *grid = qobject_cast<GrdEntry *>(&w))
            writeGrid(*grid, name, values);
        else if (auto *view = qobject_cast<QAbstractItemView *>(&w))
            writeView(*view, name, values);
        else if (values.contains(name))
            writeValue(w, values.value(name)); // a later choice may have changed a list again
    });
}

DraftStore::DraftStore(QString folder) : m_folder(std::move(folder)) {}

QString DraftStore::defaultFolder()
{
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, QString(ConnSettings::kApplication));
    return QFileInfo(settings.fileName()).absolutePath() + QStringLiteral("/Corvane drafts");
}

QString DraftStore::fileName(const DraftKey &key) const
{
    return m_folder + QLatin1Char('/') + namePart(key.user) + QLatin1Char('_') + namePart(key.screen) +
           QLatin1Char('_') + namePart(key.request) + QStringLiteral(".draft");
}

std::optional<Draft> DraftStore::load(const DraftKey &key) const
{
    QFile file(fileName(key));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
    if (o.value(QLatin1String("user")).toString() != key.user.trimmed() ||
        o.value(QLatin1String("screen")).toString() != key.screen ||
        o.value(QLatin1String("request")).toString() != key.request.trimmed())
        return std::nullopt;
    Draft draft{QDateTime::fromString(o.value(QLatin1String("kept")).toString(), Qt::ISODate), {}};
    const QJsonObject values = o.value(QLatin1String("values")).toObject();
    for (auto it = values.begin(); it != values.end(); ++it)
        draft.values.insert(it.key(), it.value().toString());
    return draft;
}

void DraftStore::save(const DraftKey &key, const ControlValues &values) const
{
    if (!QDir().mkpath(m_folder))
        throw ComponentError(QStringLiteral("Cannot create the folder %1.").arg(m_folder));
    QFile::setPermissions(m_folder, kOwnerOnly | QFileDevice::ExeOwner);
    QJsonObject entries;
    for (auto it = values.begin(); it != values.end(); ++it)
        entries.insert(it.key(), *it);
    const QJsonObject o{{QStringLiteral("user"), key.user.trimmed()},
                        {QStringLiteral("screen"), key.screen},
                        {QStringLiteral("request"), key.request.trimmed()},
                        {QStringLiteral("kept"), QDateTime::currentDateTime().toString(Qt::ISODate)},
                        {QStringLiteral("values"), entries}};
    const QString path = fileName(key);
    QSaveFile file(path);
    // The results are patient data: the file is the owner's alone from its first byte, whatever
    // the umask says.
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(kOwnerOnly) ||
        file.write(QJsonDocument(o).toJson(QJsonDocument::Compact)) < 0 || !file.commit())
        throw ComponentError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    if (!QFile::setPermissions(path, kOwnerOnly)) {
        QFile::remove(path);
        throw ComponentError(QStringLiteral("Cannot make %1 private.").arg(path));
    }
}

void DraftStore::remove(const DraftKey &key) const
{
    QFile::remove(fileName(key));
}

DraftKeeper::DraftKeeper(QWidget &screen, QString screenName) : m_screen(screen), m_screenName(std::move(screenName))
{
}

DraftKey DraftKeeper::key() const
{
    const SessionContext &s = SessionContext::current();
    return {s.EmployeeCode, m_screenName, s.RequestNum};
}

void DraftKeeper::opened()
{
    m_filled = readControls(m_screen);
    m_opened = true;
    const DraftStore store(DraftStore::defaultFolder());
    const DraftKey k = key();
    const std::optional<Draft> draft = store.load(k);
    if (!draft)
        return;
    const QString text =
        QStringLiteral("Results typed for request %1 on %2 were not saved. Put them back on the screen?")
            .arg(k.request.trimmed(), QLocale::c().toString(draft->kept, QStringLiteral("MM/dd/yyyy hh:mm AP")));
    if (MessageBox::show(text, QStringLiteral("Unsaved Results"), QMessageBox::Question,
                         QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        writeControls(m_screen, draft->values); // kept until a save succeeds: closing without one loses nothing
    else
        store.remove(k);
}

void DraftKeeper::saveFailed()
{
    if (!m_opened)
        return; // driven without being opened: nothing was typed
    try {
        const ControlValues typed = changedSince(m_filled, readControls(m_screen));
        if (!typed.isEmpty())
            DraftStore(DraftStore::defaultFolder()).save(key(), typed);
    } catch (const std::exception &e) {
        // The save's own failure is what the technologist must see; a second box would hide it.
        qWarning("The typed results were not kept: %s", e.what());
    }
}

void DraftKeeper::saved()
{
    DraftStore(DraftStore::defaultFolder()).remove(key());
}

} // namespace corvane
