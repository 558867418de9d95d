// Draws the four desk wallpapers the program copies into a new store, as PDF pages of the desk's
// proportions (16:10). Run at build time: zev_wallpaper_gen <output folder>.

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QRadialGradient>

#include <cstdio>
#include <functional>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1200;

QColor grey(double w) { return QColor::fromRgbF(w, w, w); }

void drawGrey(QPainter& p)
{
    QLinearGradient g(0, 0, 0, kHeight);
    g.setColorAt(0.0, grey(0.62));
    g.setColorAt(1.0, grey(0.40));
    p.fillRect(0, 0, kWidth, kHeight, g);
    // A fine weave, barely visible, so that the desk does not look like an empty screen.
    p.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.035), 1.0));
    for (int y = 0; y < kHeight; y += 6)
        p.drawLine(0, y, kWidth, y);
}

void drawBlue(QPainter& p)
{
    QLinearGradient g(0, 0, kWidth, kHeight);
    g.setColorAt(0.0, QColor(38, 74, 128));
    g.setColorAt(1.0, QColor(12, 30, 62));
    p.fillRect(0, 0, kWidth, kHeight, g);
    p.setPen(Qt::NoPen);
    const struct {
        double x, y, r, a;
    } glows[] = {{0.25, 0.3, 700, 0.18}, {0.8, 0.75, 520, 0.12}, {0.55, 0.1, 380, 0.08}};
    for (const auto& c : glows) {
        QRadialGradient r(c.x * kWidth, c.y * kHeight, c.r);
        r.setColorAt(0.0, QColor::fromRgbF(0.6, 0.8, 1.0, c.a));
        r.setColorAt(1.0, QColor::fromRgbF(0.6, 0.8, 1.0, 0.0));
        p.setBrush(r);
        p.drawEllipse(QPointF(c.x * kWidth, c.y * kHeight), c.r, c.r);
    }
}

void drawNew(QPainter& p)
{
    QLinearGradient g(0, 0, 0, kHeight);
    g.setColorAt(0.0, QColor(246, 243, 236));
    g.setColorAt(1.0, QColor(222, 216, 204));
    p.fillRect(0, 0, kWidth, kHeight, g);
    // Soft diagonal bands, like light through a blind.
    p.setPen(Qt::NoPen);
    for (int i = -4; i < 10; ++i) {
        QPainterPath band;
        const double x = i * 260.0;
        band.moveTo(x, kHeight);
        band.lineTo(x + 120.0, kHeight);
        band.lineTo(x + 120.0 + kHeight * 0.6, 0);
        band.lineTo(x + kHeight * 0.6, 0);
        band.closeSubpath();
        p.setBrush(QColor::fromRgbF(1, 1, 1, i % 2 ? 0.18 : 0.10));
        p.drawPath(band);
    }
}

void drawNo(QPainter& p) { p.fillRect(0, 0, kWidth, kHeight, grey(0.7)); }

bool write(const QString& path, const std::function<void(QPainter&)>& draw)
{
    QPdfWriter writer(path);
    writer.setResolution(72); // one unit is one point
    writer.setPageSize(QPageSize(QSizeF(kWidth, kHeight), QPageSize::Point, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setCreator(QStringLiteral("Tallomer"));
    writer.setTitle(QFileInfo(path).baseName());
    QPainter p;
    if (!p.begin(&writer))
        return false;
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return p.end();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 1;
    }
    const struct {
        const char* name;
        void (*draw)(QPainter&);
    } pages[] = {{"zevWallpaperGrey", drawGrey}, {"zevWallpaperBlue", drawBlue},
                 {"zevWallpaperNew", drawNew}, {"zevWallpaperNo", drawNo}};
    for (const auto& page : pages) {
        const QString path = dir + "/" + page.name + ".pdf";
        if (!write(path, page.draw)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
