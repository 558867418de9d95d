#include "platform/desktop/DesktopEntry.h"

#include "platform/AppId.h"

namespace tallomer {

QString DesktopEntry::fileName() { return QString::fromLatin1(kAppId) + ".desktop"; }

QByteArray DesktopEntry::contents()
{
    QByteArray t;
    t += "[Desktop Entry]\n";
    t += "Type=Application\n";
    t += "Version=1.5\n";
    t += "Name=" + QByteArray(kAppName) + "\n";
    t += "Comment=A temporal desk for your files, links and contacts\n";
    t += "Exec=tallomer %U\n";
    t += "Icon=" + QByteArray(kAppId) + "\n";
    t += "Terminal=false\n";
    t += "Categories=Utility;FileTools;\n";
    t += "MimeType=" + mimeType().toLatin1() + ";\n";
    t += "SingleMainWindow=true\n";
    return t;
}

} // namespace tallomer
