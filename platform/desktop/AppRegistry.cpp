#include "platform/desktop/AppRegistry.h"

namespace tallomer {

struct AppRegistry::Data {};

AppRegistry::Folders AppRegistry::foldersFromEnvironment() { return {}; }
AppRegistry::AppRegistry() : AppRegistry(foldersFromEnvironment()) {}
AppRegistry::AppRegistry(Folders) : data_(std::make_shared<Data>()) {}
std::optional<Application> AppRegistry::application(const QString&) const { return {}; }
std::optional<Application> AppRegistry::defaultForMimeType(const QString&) const { return {}; }
QList<Application> AppRegistry::applicationsForMimeType(const QString&) const { return {}; }
std::optional<Application> AppRegistry::defaultForFile(const QString&) const { return {}; }
QList<Application> AppRegistry::applicationsForFile(const QString&) const { return {}; }
std::optional<Application> AppRegistry::defaultForScheme(const QString&) const { return {}; }
std::optional<Application> AppRegistry::addressBook() const { return {}; }
std::optional<Application> AppRegistry::mail() const { return {}; }
OpenWithMenu AppRegistry::openWith(const QList<OpenWithSubject>&) const { return {}; }
QList<QStringList> AppRegistry::commandLines(const Application&, const QList<QUrl>&) { return {}; }
bool AppRegistry::open(const Application&, const QList<QUrl>&, QString*) { return false; }

} // namespace tallomer
