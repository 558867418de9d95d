#pragma once
// The desktop entry that makes the program the handler of zevp: links and lets launchers pass it
// files and URLs. The installed file is resources/desktop/<application id>.desktop; contents()
// is the one place its text is decided.

#include <QByteArray>
#include <QString>

namespace tallomer {

class DesktopEntry {
public:
    // "<application id>.desktop".
    static QString fileName();
    // The URL scheme the program answers.
    static QString urlScheme() { return QStringLiteral("zevp"); }
    static QString mimeType() { return "x-scheme-handler/" + urlScheme(); }
    // The file's text.
    static QByteArray contents();
};

} // namespace tallomer
