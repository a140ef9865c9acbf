#pragma once
// Stands in for the component object system: classes are created by their class identity
// ("Corvane.clsResultEntry", "Kestrix.clslabexams"). Identities compare without regard to case,
// as they always have on the host's platform.

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace corvane {

using ObjectFactory = std::function<std::unique_ptr<QObject>()>;

// "Corvane.clsResultEntry" is registered from the start. Registering an identity again replaces it.
void registerClass(const QString &classIdentity, ObjectFactory factory);
void unregisterClass(const QString &classIdentity);
bool isClassRegistered(const QString &classIdentity);
// Throws ComponentError for an identity nobody registered; whatever the factory throws (e.g. a
// connection that will not open) passes through.
std::unique_ptr<QObject> createObject(const QString &classIdentity);

} // namespace corvane
