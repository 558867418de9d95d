#pragma once
// Opens a contact's card the desktop's way: the card's file handed to the text/vcard handler of
// the desktop (its address book), else to whatever the desktop opens the file with. Tests install
// a handler in place of the desktop, so that no program is ever started from them.

#include <QString>
#include <QUrl>

#include <functional>

namespace tallomer {

// Answers whether the URL was handed over; `error` says why not.
using ContactOpenHandler = std::function<bool(const QUrl& url, QString* error)>;

// Replaces the desktop by `handler` (empty restores the desktop); returns the previous one.
ContactOpenHandler setContactOpenHandler(ContactOpenHandler handler);

// Opens the card file at `path`. False, with the reason in `error`, when nothing took it.
bool openContactCard(const QString& path, QString* error = nullptr);

// Starts the desktop's address book (the text/vcard application) on its own; without one, the
// contacts folder opens in the file manager. An installed handler is given the folder's URL.
bool openAddressBook(const QString& contactsFolder, QString* error = nullptr);
// The address book's icon name, "x-office-address-book" when the desktop has none or it names none.
QString addressBookIconName();

} // namespace tallomer
