#pragma once
// File names handed in as bytes from outside the program (its arguments, a folder's entries, a
// dropped file: URL). Qt holds paths as UTF-8 text, and a name that is not valid UTF-8 cannot be
// held at all: decoded, its stray bytes become U+FFFD and the path names no file. Such an entry is
// therefore given a text name in its own folder first: its valid sequences kept, each stray byte
// read as the character it stands for in the Windows Latin-1 code page (where such names mostly
// come from), so that "caf\xE9.txt" becomes "café.txt". The rename never replaces another entry:
// a taken name gets " (1)", " (2)" ... before its extension.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace tallomer {

// Whether the bytes are valid UTF-8 (and so come back unchanged from QFile::decodeName).
bool isTextName(const QByteArray& name);

// The text name described above; the decoded name itself when it is valid UTF-8.
QString textName(const QByteArray& name);

// The path as text, after the entry it names was given a text name when its own name is not
// valid UTF-8. A path that names nothing is only decoded. Absent, with why in error, when a
// folder above has such a name or the rename was refused.
std::optional<QString> textPath(const QByteArray& path, QString* error = nullptr);

// The local path a file: URL names, its percent escapes taken as bytes (textPath); empty for
// another URL or when no text path can be had.
QString textPathOfUrl(const QUrl& url, QString* error = nullptr);

// The program's arguments after its name: each one that is not valid UTF-8 and names an entry
// goes through textPath; any other is decoded as Qt decodes arguments.
QStringList textArguments(int argc, const char* const* argv);

} // namespace tallomer
