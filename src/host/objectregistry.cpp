#include "host/objectregistry.h"

#include "host/clsresultentry.h"
#include "session/errors.h"

#include <QHash>

#include <mutex>

namespace corvane {

namespace {

struct Registry {
    Registry()
    {
        factories.insert(QString(clsResultEntry::kClassIdentity).toLower(),
                         [] { return std::unique_ptr<QObject>(std::make_unique<clsResultEntry>()); });
    }
    std::mutex mutex;
    QHash<QString, ObjectFactory> factories; // key: identity in lower case
};

Registry &registry()
{
    static Registry r;
    return r;
}

} // namespace

void registerClass(const QString &classIdentity, ObjectFactory factory)
{
    Registry &r = registry();
    const std::lock_guard lock(r.mutex);
    r.factories.insert(classIdentity.toLower(), std::move(factory));
}

void unregisterClass(const QString &classIdentity)
{
    Registry &r = registry();
    const std::lock_guard lock(r.mutex);
    r.factories.remove(classIdentity.toLower());
}

bool isClassRegistered(const QString &classIdentity)
{
    Registry &r = registry();
    const std::lock_guard lock(r.mutex);
    return r.factories.contains(classIdentity.toLower());
}

std::unique_ptr<QObject> createObject(const QString &classIdentity)
{
    ObjectFactory factory;
    {
        Registry &r = registry();
        const std::lock_guard lock(r.mutex);
        factory = r.factories.value(classIdentity.toLower());
    }
    if (!factory)
        throw ComponentError(
            QStringLiteral("Cannot create object: the class \"%1\" is not registered.").arg(classIdentity));
    // Outside the lock: a factory may create further objects (clsResultEntry creates the code search).
    return factory();
}

} // namespace corvane
