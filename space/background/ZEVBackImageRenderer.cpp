#include "space/background/ZEVBackImageRenderer.h"

#include <QFileInfo>
#include <QImageReader>
#include <algorithm>
#include <QPainter>

#include <cmath>

#if __has_include(<QtPdf/QPdfDocument>)
#include <QtPdf/QPdfDocument>
#define TALLOMER_HAS_PDF 1
#else
#define TALLOMER_HAS_PDF 0
#endif

namespace tallomer {

namespace {

constexpr double kWide = 16.0 / 9.0;
constexpr double kDeskAspect = 1.6;
// Beyond this a rendering would only eat memory: no screen is that large.
constexpr double kMaxSide = 16384.0;

bool siPdf(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
}

#if TALLOMER_HAS_PDF
// One document per call: documents are not shared between threads.
struct Pdf {
    QPdfDocument doc;
    bool ok = false;
    QSizeF page;
    explicit Pdf(const QString& path)
    {
        ok = doc.load(path) == QPdfDocument::Error::None && doc.pageCount() > 0;
        if (ok)
            page = doc.pagePointSize(0);
        ok = ok && page.width() > 0 && page.height() > 0;
    }
};
#endif

} // namespace

QSizeF ZEVBackImageSize(double ratio, double width, double height, KELId scaleId)
{
    double h = height;
    if (height > 0 && width / height < kDeskAspect)
        h = width / kDeskAspect;
    if (!(ratio > 0))
        return QSizeF(width, h);
    const bool wide = ratio >= kWide;
    if ((wide && scaleId == kZEVScaleIn) || (!wide && scaleId == kZEVScaleOut))
        return QSizeF(kWide * h, (kWide * h) / ratio);
    return QSizeF(ratio * h, h);
}

double ZEVBackImageRatio(const QString& path)
{
    if (siPdf(path)) {
#if TALLOMER_HAS_PDF
        Pdf pdf(path);
        return pdf.ok ? pdf.page.width() / pdf.page.height() : 0.0;
#else
        return 0.0;
#endif
    }
    QImageReader reader(path);
    const QSize s = reader.size();
    return s.width() > 0 && s.height() > 0 ? double(s.width()) / s.height() : 0.0;
}

ZEVBackRender ZEVRenderBackImage(const QString& path, double width, double height, KELId scaleId)
{
    ZEVBackRender out;
    if (path.isEmpty()) {
        out.error = QStringLiteral("no file");
        return out;
    }
    auto target = [&](double ratio) {
        const QSizeF s = ZEVBackImageSize(ratio, width, height, scaleId);
        return QSize(int(std::lround(std::clamp(s.width(), 1.0, kMaxSide))),
                     int(std::lround(std::clamp(s.height(), 1.0, kMaxSide))));
    };
    if (siPdf(path)) {
#if TALLOMER_HAS_PDF
        Pdf pdf(path);
        if (!pdf.ok) {
            out.error = QStringLiteral("unreadable PDF");
            return out;
        }
        out.ratio = pdf.page.width() / pdf.page.height();
        const QSize size = target(out.ratio);
        // Transparent parts of the page show the Channel's colour, as a picture's would.
        QPdfDocumentRenderOptions options;
        out.image = pdf.doc.render(0, size, options);
        if (out.image.isNull())
            out.error = QStringLiteral("PDF page not rendered");
#else
        out.error = QStringLiteral("PDF rendering not available");
#endif
        return out;
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize natural = reader.size();
    if (natural.width() <= 0 || natural.height() <= 0) {
        out.error = reader.errorString();
        return out;
    }
    out.ratio = double(natural.width()) / natural.height();
    reader.setScaledSize(target(out.ratio));
    out.image = reader.read();
    if (out.image.isNull())
        out.error = reader.errorString();
    return out;
}

} // namespace tallomer
