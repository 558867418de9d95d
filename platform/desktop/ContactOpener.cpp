#include "platform/desktop/ContactOpener.h"

#include "platform/desktop/AppRegistry.h"
#include "platform/desktop/Desktop.h"

#include <QDesktopServices>
#include <QFileInfo>

#include <memory>
#include <utility>

namespace tallomer {

namespace {
ContactOpenHandler& installed()
{
    static ContactOpenHandler handler;
    return handler;
}
} // namespace

ContactOpenHandler setContactOpenHandler(ContactOpenHandler handler)
{
    return std::exchange(installed(), std::move(handler));
}

bool openContactCard(const QString& path, QString* error)
{
    const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    if (const ContactOpenHandler& handler = installed())
        return handler(url, error);
    if (!QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("no card at %1").arg(path);
        return false;
    }
    // The desktop's address book first: a .vcf may well be opened by a text editor otherwise.
    if (const std::optional<Application> book = AppRegistry().addressBook())
        if (AppRegistry::open(*book, {url}, error))
            return true;
    // Through the desktop layer where there is one: a card is a file from outside like any other.
    if (Desktop* d = Desktop::shared()) {
        // A failure the opener tells later has nobody to go to here.
        auto why = std::make_shared<QString>();
        if (d->openUrl(url, [why](const QString& w) { *why = w; }))
            return true;
        if (error)
            *error = *why;
    } else if (QDesktopServices::openUrl(url)) {
        return true;
    }
    if (error && error->isEmpty())
        *error = QStringLiteral("the desktop has no program for %1").arg(path);
    return false;
}

bool openAddressBook(const QString& contactsFolder, QString* error)
{
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(contactsFolder).absoluteFilePath());
    if (const ContactOpenHandler& handler = installed())
        return handler(folder, error);
    if (const std::optional<Application> book = AppRegistry().addressBook())
        if (AppRegistry::open(*book, {}, error))
            return true;
    if (!contactsFolder.isEmpty() && QDesktopServices::openUrl(folder))
        return true;
    if (error && error->isEmpty())
        *error = QStringLiteral("the desktop has no address book");
    return false;
}

QString addressBookIconName()
{
    const std::optional<Application> book = AppRegistry().addressBook();
    return book && !book->iconName.isEmpty() ? book->iconName : QStringLiteral("x-office-address-book");
}

} // namespace tallomer
