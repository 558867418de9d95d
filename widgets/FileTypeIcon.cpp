#include "widgets/FileTypeIcon.h"

#include "platform/thumbs/Thumbnails.h"
#include "runtime/Log.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIconEngine>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QMimeDatabase>
#include <QMutex>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSaveFile>
#include <QStandardPaths>

#include <cstring>
#include <mutex>
#include <sys/stat.h>
#include <utility>

namespace tallomer {

namespace {

// What a type is to a person; each kind has a drawing of its own for a desktop without icons.
enum class Kind { Folder, Application, Document, Text, Page, WebLink, Picture, Contact, Mail };

struct Resolved {
    Kind kind;
    QStringList names; // theme icon names, the most particular first
};

bool isA(const QMimeType& mime, const char* name)
{
    return mime.name() == QLatin1String(name) || mime.inherits(QLatin1String(name));
}

Resolved resolve(const QString& type)
{
    if (type.isEmpty())
        return {Kind::Folder, {QStringLiteral("folder"), QStringLiteral("inode-directory")}};
    if (type == QLatin1String("app"))
        return {Kind::Application, {QStringLiteral("application-x-executable")}};
    const QMimeDatabase db;
    QMimeType mime = db.mimeTypeForName(type);
    if (!mime.isValid())
        mime = db.mimeTypeForFile(QStringLiteral("file.") + type, QMimeDatabase::MatchExtension);
    // A web link's file type is known to no MIME database here: its own names, never the
    // octet-stream icon every unknown type shares.
    if (type.compare(QLatin1String("webloc"), Qt::CaseInsensitive) == 0 || isA(mime, "application/x-mswinurl"))
        return {Kind::WebLink,
                {QStringLiteral("application-x-mswinurl"), QStringLiteral("web-browser"),
                 QStringLiteral("applications-internet"), QStringLiteral("emblem-web"),
                 QStringLiteral("user-bookmarks")}};
    const QString own = mime.iconName();
    const QString generic = mime.genericIconName();
    // A folder read from the disk looks as the folder an Object's empty word names.
    if (isA(mime, "inode/directory"))
        return resolve(QString());
    // A launcher is a program to the user, though its bytes are text.
    if (mime.name() == QLatin1String("application/x-desktop"))
        return {Kind::Application, {own, QStringLiteral("application-x-executable")}};
    // A theme that lacks the type's own icon would give these the generic text page: the kind's
    // own names come before it.
    if (isA(mime, "text/vcard") || isA(mime, "text/x-vcard") || isA(mime, "text/directory"))
        return {Kind::Contact,
                {own, QStringLiteral("x-office-address-book"), QStringLiteral("contact-new"),
                 QStringLiteral("avatar-default"), generic}};
    if (isA(mime, "message/rfc822"))
        return {
            Kind::Mail,
            {own, QStringLiteral("mail-unread"), QStringLiteral("emblem-mail"), QStringLiteral("mail-read"), generic}};
    if (isA(mime, "text/html") || isA(mime, "application/xhtml+xml"))
        return {Kind::Page, {own, QStringLiteral("text-html"), generic}};
    if (mime.name().startsWith(QLatin1String("image/")))
        return {Kind::Picture, {own, generic, QStringLiteral("image-x-generic")}};
    if (mime.name().startsWith(QLatin1String("text/")) || isA(mime, "text/plain"))
        return {Kind::Text, {own, generic, QStringLiteral("text-x-generic")}};
    return {Kind::Document, {own, generic, QStringLiteral("application-x-generic")}};
}

// ---- the drawn icons ----

QColor ink() { return QColor(90, 90, 96); }

void drawPage(QPainter& p, const QRectF& r)
{
    const double fold = r.width() * 0.28;
    QPainterPath page;
    page.moveTo(r.left(), r.top());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.right(), r.bottom());
    page.lineTo(r.left(), r.bottom());
    page.closeSubpath();
    p.setPen(QPen(ink(), std::max(1.0, r.width() / 40)));
    p.setBrush(Qt::white);
    p.drawPath(page);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(QColor(220, 220, 224));
    p.drawPath(corner);
}

void drawKind(QPainter& p, const QRectF& box, Kind kind)
{
    p.setRenderHint(QPainter::Antialiasing);
    const double s = std::min(box.width(), box.height());
    const QRectF sq(box.center().x() - s / 2, box.center().y() - s / 2, s, s);
    const QRectF page(sq.left() + s * 0.18, sq.top() + s * 0.06, s * 0.64, s * 0.88);
    const double line = std::max(1.0, s / 40);
    switch (kind) {
    case Kind::Folder: {
        QPainterPath f;
        f.moveTo(sq.left() + s * 0.06, sq.top() + s * 0.22);
        f.lineTo(sq.left() + s * 0.38, sq.top() + s * 0.22);
        f.lineTo(sq.left() + s * 0.46, sq.top() + s * 0.30);
        f.lineTo(sq.right() - s * 0.06, sq.top() + s * 0.30);
        f.lineTo(sq.right() - s * 0.06, sq.bottom() - s * 0.14);
        f.lineTo(sq.left() + s * 0.06, sq.bottom() - s * 0.14);
        f.closeSubpath();
        p.setPen(QPen(QColor(40, 90, 160), line));
        p.setBrush(QColor(110, 160, 220));
        p.drawPath(f);
        p.setBrush(QColor(150, 190, 235));
        p.drawRect(QRectF(sq.left() + s * 0.06, sq.top() + s * 0.38, s * 0.88, s * 0.48));
        break;
    }
    case Kind::Application:
        p.setPen(QPen(QColor(50, 50, 60), line));
        p.setBrush(QColor(80, 80, 96));
        p.drawRoundedRect(sq.adjusted(s * 0.12, s * 0.12, -s * 0.12, -s * 0.12), s * 0.14, s * 0.14);
        p.setBrush(QColor(240, 200, 60));
        p.drawEllipse(sq.center(), s * 0.16, s * 0.16);
        break;
    case Kind::Document:
        drawPage(p, page);
        break;
    case Kind::Text:
        drawPage(p, page);
        p.setPen(QPen(QColor(150, 150, 156), line * 1.5));
        for (int k = 0; k < 5; ++k) {
            const double y = page.top() + page.height() * (0.38 + 0.11 * k);
            p.drawLine(QPointF(page.left() + page.width() * 0.14, y), QPointF(page.right() - page.width() * 0.14, y));
        }
        break;
    case Kind::Page: {
        drawPage(p, page);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(230, 110, 40));
        p.drawRect(QRectF(page.left() + line, page.top() + page.height() * 0.42, page.width() - 2 * line,
                          page.height() * 0.26));
        p.setPen(QPen(Qt::white, line * 2));
        const double cy = page.top() + page.height() * 0.55, h = page.height() * 0.08, cx = page.center().x();
        p.drawLine(QPointF(cx - page.width() * 0.18, cy - h), QPointF(cx - page.width() * 0.30, cy));
        p.drawLine(QPointF(cx - page.width() * 0.30, cy), QPointF(cx - page.width() * 0.18, cy + h));
        p.drawLine(QPointF(cx + page.width() * 0.18, cy - h), QPointF(cx + page.width() * 0.30, cy));
        p.drawLine(QPointF(cx + page.width() * 0.30, cy), QPointF(cx + page.width() * 0.18, cy + h));
        p.drawLine(QPointF(cx + page.width() * 0.06, cy - h), QPointF(cx - page.width() * 0.06, cy + h));
        break;
    }
    case Kind::WebLink: {
        const QRectF globe = sq.adjusted(s * 0.1, s * 0.1, -s * 0.1, -s * 0.1);
        p.setPen(QPen(QColor(20, 80, 150), line * 1.5));
        p.setBrush(QColor(90, 160, 230));
        p.drawEllipse(globe);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(globe.adjusted(globe.width() * 0.3, 0, -globe.width() * 0.3, 0));
        p.drawLine(QPointF(globe.center().x(), globe.top()), QPointF(globe.center().x(), globe.bottom()));
        p.drawLine(QPointF(globe.left(), globe.center().y()), QPointF(globe.right(), globe.center().y()));
        break;
    }
    case Kind::Picture: {
        drawPage(p, page);
        const QRectF view(page.left() + page.width() * 0.12, page.top() + page.height() * 0.36, page.width() * 0.76,
                          page.height() * 0.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(150, 200, 240));
        p.drawRect(view);
        QPainterPath hill;
        hill.moveTo(view.bottomLeft());
        hill.lineTo(view.left() + view.width() * 0.4, view.top() + view.height() * 0.35);
        hill.lineTo(view.right(), view.bottom());
        hill.closeSubpath();
        p.setBrush(QColor(60, 150, 70));
        p.drawPath(hill);
        p.setBrush(QColor(250, 200, 40));
        p.drawEllipse(QPointF(view.right() - view.width() * 0.22, view.top() + view.height() * 0.28),
                      view.width() * 0.1, view.width() * 0.1);
        break;
    }
    case Kind::Contact: {
        const QRectF card = sq.adjusted(s * 0.08, s * 0.2, -s * 0.08, -s * 0.2);
        p.setPen(QPen(ink(), line));
        p.setBrush(QColor(245, 240, 225));
        p.drawRoundedRect(card, s * 0.06, s * 0.06);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(120, 100, 160));
        const QPointF head(card.left() + card.width() * 0.3, card.top() + card.height() * 0.38);
        p.drawEllipse(head, card.height() * 0.16, card.height() * 0.16);
        p.drawChord(QRectF(head.x() - card.height() * 0.3, card.top() + card.height() * 0.6, card.height() * 0.6,
                           card.height() * 0.6),
                    0, 180 * 16);
        p.setPen(QPen(QColor(150, 150, 156), line * 1.5));
        for (int k = 0; k < 3; ++k) {
            const double y = card.top() + card.height() * (0.35 + 0.16 * k);
            p.drawLine(QPointF(card.left() + card.width() * 0.55, y), QPointF(card.right() - card.width() * 0.1, y));
        }
        break;
    }
    case Kind::Mail: {
        const QRectF env = sq.adjusted(s * 0.08, s * 0.24, -s * 0.08, -s * 0.24);
        p.setPen(QPen(QColor(140, 110, 40), line));
        p.setBrush(QColor(250, 235, 180));
        p.drawRect(env);
        p.drawLine(env.topLeft(), QPointF(env.center().x(), env.center().y() + env.height() * 0.1));
        p.drawLine(env.topRight(), QPointF(env.center().x(), env.center().y() + env.height() * 0.1));
        break;
    }
    }
}

class DrawnTypeIcon final : public QIconEngine {
public:
    explicit DrawnTypeIcon(Kind kind) : kind_(kind) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        if (mode == QIcon::Disabled)
            painter->setOpacity(painter->opacity() * 0.5);
        drawKind(*painter, rect, kind_);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }
    QIconEngine* clone() const override { return new DrawnTypeIcon(kind_); }
    QString key() const override { return QStringLiteral("tallomer-type"); }

private:
    Kind kind_;
};

QIcon fromNames(const QStringList& names, Kind kind)
{
    installIconThemeFallback();
    for (const QString& name : names)
        if (!name.isEmpty())
            if (QIcon icon = QIcon::fromTheme(name); !icon.isNull())
                return icon;
    return QIcon(new DrawnTypeIcon(kind));
}

} // namespace

namespace {

void installIconThemeFallbackOnce()
{
    QStringList paths = QIcon::themeSearchPaths();
    QStringList wanted;
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        wanted << QDir(data).filePath(QStringLiteral("icons"));
    wanted << QDir::home().filePath(QStringLiteral(".icons")) << QStringLiteral("/usr/share/icons");
    for (const QString& path : std::as_const(wanted))
        if (!paths.contains(path) && QFileInfo(path).isDir())
            paths << path;
    QIcon::setThemeSearchPaths(paths);
    bool adwaita = false;
    for (const QString& path : std::as_const(paths))
        adwaita = adwaita || QFileInfo::exists(QDir(path).filePath(QStringLiteral("Adwaita/index.theme")));
    if (!adwaita)
        return;
    const QString theme = QIcon::themeName();
    if (theme.isEmpty() || theme == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    else
        QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
}

} // namespace

void installIconThemeFallback()
{
    static std::once_flag done;
    std::call_once(done, installIconThemeFallbackOnce);
}

QIcon iconForFileType(const QString& type)
{
    installIconThemeFallback();
    // Lists ask once per row painted: each type is looked up once per theme. File panels ask
    // from the thread that reads their folders.
    static QMutex lock;
    const QMutexLocker locked(&lock);
    static QHash<QString, QIcon> cache;
    const QString key = QIcon::themeName() + QLatin1Char('\n') + type;
    if (auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    const Resolved r = resolve(type);
    return *cache.insert(key, fromNames(r.names, r.kind));
}

QIcon genericDocumentIcon() { return fromNames({QStringLiteral("text-x-generic")}, Kind::Document); }

QIcon findIconForFileType(const QString& type)
{
    return type.isEmpty() ? genericDocumentIcon() : iconForFileType(type);
}

QIcon iconForFile(const QString& path)
{
    const QString type = thumbs::typeOfFile(path);
    if (!type.isEmpty())
        return iconForFileType(type);
    // Nothing there to read: what its name tells, and never the folder the empty type is.
    return iconForFileType(QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name());
}

namespace {

// A panel's lists would otherwise show one blank page for every file where no desktop session
// names an icon theme to Qt.
class TypeIconProvider final : public QFileIconProvider {
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override
    {
        // The places of the side bar keep their own pictures.
        if (info.isRoot() || info.absoluteFilePath().isEmpty() || info.absoluteFilePath() == QDir::homePath())
            return QFileIconProvider::icon(info);
        return iconForFile(info.absoluteFilePath());
    }
};

} // namespace

void showTypeIconsIn(QFileDialog& panel)
{
    installIconThemeFallback();
    static TypeIconProvider provider;
    panel.setIconProvider(&provider);
}

QImage imageOfIcon(const QIcon& icon, int side)
{
    side = std::max(1, side);
    QImage image = icon.pixmap(QSize(side, side), 1.0).toImage();
    if (image.isNull() || image.size() == QSize(side, side))
        return image;
    // A theme gives its nearest size at most: the picture fills the square asked, centred.
    image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImage square(side, side, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    QPainter p(&square);
    p.drawImage((side - image.width()) / 2, (side - image.height()) / 2, image);
    return square;
}

namespace {

// The theme's icons are files, read and scaled again at every start (a large picture for most
// sizes): each type's image is kept between runs. What decides the picture is part of the kept
// file's name: the library, the search paths, and the dates and sizes of each theme folder the
// picture may come from (the theme, those it inherits, the fallback), of its index and of its
// icon cache, which the system rewrites whenever a theme's files change. A theme changed so gets
// new names; the files of the old one are left to whoever cleans caches.
constexpr char kMagie[] = "TLMRTYPEICON1\n";

QStringList herites(const QString& dossier)
{
    QFile index(dossier + QStringLiteral("/index.theme"));
    if (!index.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    // In the first section, [Icon Theme]: the folders' own sections follow, hundreds of them.
    bool section = false;
    while (!index.atEnd()) {
        const QByteArray ligne = index.readLine().trimmed();
        if (ligne.startsWith('[')) {
            if (section)
                break;
            section = true;
        } else if (ligne.startsWith("Inherits=")) {
            return QString::fromUtf8(ligne.mid(9)).split(QLatin1Char(','), Qt::SkipEmptyParts);
        }
    }
    return {};
}

QByteArray empreinteDesThemes()
{
    installIconThemeFallback();
    QCryptographicHash h(QCryptographicHash::Sha1);
    h.addData(QByteArray(qVersion()));
    const QStringList chemins = QIcon::themeSearchPaths();
    QStringList themes{QIcon::themeName(), QIcon::fallbackThemeName(), QStringLiteral("hicolor")};
    for (qsizetype i = 0; i < themes.size() && i < 32; ++i) {
        const QString& theme = themes[i];
        h.addData(theme.toUtf8() + '\n');
        for (const QString& chemin : chemins) {
            const QString dossier = chemin + QLatin1Char('/') + theme;
            for (const QString& f : {dossier, dossier + QStringLiteral("/index.theme"),
                                     dossier + QStringLiteral("/icon-theme.cache")}) {
                // The file's own dates, without the local time a QDateTime is made in.
                struct stat info {};
                if (::stat(QFile::encodeName(f).constData(), &info) != 0)
                    continue;
                h.addData(f.toUtf8() + ' ' + QByteArray::number(qint64(info.st_mtim.tv_sec)) + '.' +
                          QByteArray::number(qint64(info.st_mtim.tv_nsec)) + ' ' + QByteArray::number(qint64(info.st_size)) +
                          '\n');
            }
            for (const QString& parent : herites(dossier))
                if (!themes.contains(parent.trimmed()))
                    themes << parent.trimmed();
        }
    }
    return h.result().toHex();
}

QString fichierGarde(const QString& type, int side)
{
    // Asked only for an image not made yet in this run: a few per start.
    const QByteArray nom = QCryptographicHash::hash(empreinteDesThemes() + '\n' + QByteArray::number(side) + '\n' + type.toUtf8(),
                                                   QCryptographicHash::Sha1)
                               .toHex();
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Tallomer/type-icons/") + QString::fromLatin1(nom) + QStringLiteral(".image");
}

// The kept image, exactly as it was made; null when there is none or it is not whole.
QImage lireGardee(const QString& chemin, int side)
{
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray octets = f.readAll();
    const qsizetype entete = qsizetype(sizeof(kMagie) - 1) + 3 * qsizetype(sizeof(qint32));
    if (octets.size() < entete || !octets.startsWith(kMagie))
        return {};
    qint32 champs[3];
    std::memcpy(champs, octets.constData() + sizeof(kMagie) - 1, sizeof(champs));
    const auto format = QImage::Format(champs[2]);
    if (champs[0] != side || champs[1] != side || format <= QImage::Format_Invalid ||
        format >= QImage::NImageFormats)
        return {};
    QImage image(side, side, format);
    if (image.isNull() || octets.size() != entete + image.sizeInBytes())
        return {};
    std::memcpy(image.bits(), octets.constData() + entete, std::size_t(image.sizeInBytes()));
    return image;
}

void garder(const QString& chemin, const QImage& image)
{
    if (image.isNull() || !QDir().mkpath(QFileInfo(chemin).path()))
        return;
    QSaveFile f(chemin);
    const qint32 champs[3] = {image.width(), image.height(), qint32(image.format())};
    if (!f.open(QIODevice::WriteOnly) || f.write(kMagie, sizeof(kMagie) - 1) < 0 ||
        f.write(reinterpret_cast<const char*>(champs), sizeof(champs)) < 0 ||
        f.write(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()) != image.sizeInBytes() ||
        !f.commit())
        // Only the next start pays for it: the picture is made from the theme again.
        tallomer::logFormat("Type icons: %s could not be written (%s)", qPrintable(chemin), qPrintable(f.errorString()));
}

} // namespace

QString keptFileForFileType(const QString& type, int side) { return fichierGarde(type, std::max(1, side)); }

QImage imageForFileType(const QString& type, int side)
{
    // One image per type and side for the theme: a stand-in shows on hundreds of Objects, and the
    // views share what they scale from it by the image's identity.
    // The theme is chosen before its name keys the cache: the first image asked would otherwise be
    // kept under the name of no theme, and every later one made again under the chosen one.
    installIconThemeFallback();
    static QHash<QString, QImage> cache;
    const QString key = QIcon::themeName() + QLatin1Char('\n') + QString::number(side) + QLatin1Char('\n') + type;
    if (auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    side = std::max(1, side);
    const QString garde = fichierGarde(type, side);
    QImage image = lireGardee(garde, side);
    if (image.isNull()) {
        image = imageOfIcon(iconForFileType(type), side);
        garder(garde, image);
    }
    return *cache.insert(key, image);
}

} // namespace tallomer
