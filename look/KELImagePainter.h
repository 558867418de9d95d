#pragma once
// Our own badge, mode and command images, drawn with QPainter so the program carries no
// third-party artwork. Each name maps to one small drawing at its shared size.

#include <QPixmap>
#include <QSizeF>
#include <QString>
#include <QStringList>

namespace tallomer {

class KELImagePainter {
public:
    // Every name the painter knows, in a stable order.
    static QStringList names();
    // The logical size (points) an image is shared at.
    static QSizeF sizeFor(const QString& name);
    // Draws the image at twice its logical size for sharp output on dense screens; the returned
    // pixmap's device-independent size is sizeFor(name). Unknown names give a null pixmap.
    static QPixmap draw(const QString& name);
};

} // namespace tallomer
