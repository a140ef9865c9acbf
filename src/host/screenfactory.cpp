#include "host/screenfactory.h"

#include "session/errors.h"

#include <QHash>

#include <mutex>

namespace corvane {

namespace {

struct Registry {
    std::mutex mutex;
    QHash<QString, ScreenFactory::Factory> factories;
};

Registry &registry()
{
    static Registry r;
    return r;
}

} // namespace

void ScreenFactory::registerScreen(const QString &name, Factory factory)
{
    Registry &r = registry();
    const std::lock_guard lock(r.mutex);
    r.factories.insert(name, std::move(factory));
}

void ScreenFactory::unregisterScreen(const QString &name)
{
    Registry &r = registry();
    const std::lock_guard lock(r.mutex);
    r.factories.remove(name);
}

bool ScreenFactory::isRegistered(const QString &name)
{
    Registry &r = registry();
    const std::lock_guard lock(r.mutex);
    return r.factories.contains(name);
}

QStringList ScreenFactory::registeredScreens()
{
    Registry &r = registry();
    const std::lock_guard lock(r.mutex);
    QStringList names = r.factories.keys();
    names.sort();
    return names;
}

std::unique_ptr<ResultScreen> ScreenFactory::create(const QString &name)
{
    Factory factory;
    {
        Registry &r = registry();
        const std::lock_guard lock(r.mutex);
        factory = r.factories.value(name);
    }
    if (!factory)
        throw ComponentError(QStringLiteral("The result entry screen %1 is not available in this build.").arg(name));
    std::unique_ptr<ResultScreen> screen = factory();
    if (!screen)
        throw ComponentError(QStringLiteral("The result entry screen %1 could not be created.").arg(name));
    return screen;
}

} // namespace corvane
