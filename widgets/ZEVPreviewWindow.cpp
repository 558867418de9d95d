#include "widgets/ZEVPreviewWindow.h"

#include "platform/thumbs/Thumbnails.h"
#include "widgets/FileTypeIcon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStackedWidget>
#include <QThreadPool>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace tallomer {

// A picture fitted into the page, never enlarged beyond twice its pixels, centred.
class ZEVPreviewPicture final : public QWidget {
public:
    explicit ZEVPreviewPicture(QWidget* parent) : QWidget(parent) {}
    void setImage(const QImage& image)
    {
        image_ = image;
        update();
    }
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(40, 40, 40));
        if (image_.isNull())
            return;
        const QRectF area = QRectF(rect()).adjusted(8, 8, -8, -8);
        if (area.width() <= 0 || area.height() <= 0)
            return;
        QSizeF size = image_.deviceIndependentSize();
        size = size.scaled(area.size().boundedTo(size * 2), Qt::KeepAspectRatio);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(area.center() - QPointF(size.width() / 2, size.height() / 2), size), image_);
    }

private:
    QImage image_;
};

namespace {

QString cacheHome()
{
    QString home = qEnvironmentVariable("XDG_CACHE_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.cache");
    return home;
}

QString escaped(const QString& s) { return s.toHtmlEscaped(); }

} // namespace

ZEVPreviewWindow::ZEVPreviewWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool), pages_(new QStackedWidget(this)), factsIcon_(new QLabel),
      factsLabel_(new QLabel), picture_(new ZEVPreviewPicture(nullptr)), text_(new QPlainTextEdit),
      bar_(new QWidget(this)), previous_(new QToolButton(bar_)), next_(new QToolButton(bar_)),
      position_(new QLabel(bar_))
{
    setObjectName(QStringLiteral("previewWindow"));
    // The keys stay with the window underneath.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);
    resize(720, 540);

    auto* facts = new QWidget;
    auto* factsLayout = new QHBoxLayout(facts);
    factsIcon_->setAlignment(Qt::AlignCenter);
    factsIcon_->setMinimumSize(140, 140);
    factsLabel_->setTextFormat(Qt::RichText);
    factsLabel_->setWordWrap(true);
    factsLabel_->setTextInteractionFlags(Qt::NoTextInteraction);
    factsLayout->addStretch();
    factsLayout->addWidget(factsIcon_);
    factsLayout->addWidget(factsLabel_, 1);
    factsLayout->addStretch();

    text_->setReadOnly(true);
    text_->setFocusPolicy(Qt::NoFocus);
    text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text_->setFont(QFont(QStringLiteral("monospace")));

    pages_->addWidget(facts);
    pages_->addWidget(picture_);
    pages_->addWidget(text_);

    previous_->setText(QStringLiteral("\u25c0"));
    next_->setText(QStringLiteral("\u25b6"));
    previous_->setToolTip(tr("Previous"));
    next_->setToolTip(tr("Next"));
    for (QToolButton* b : {previous_, next_})
        b->setFocusPolicy(Qt::NoFocus);
    connect(previous_, &QToolButton::clicked, this, [this] { setCurrentIndex(current_ - 1); });
    connect(next_, &QToolButton::clicked, this, [this] { setCurrentIndex(current_ + 1); });
    auto* barLayout = new QHBoxLayout(bar_);
    barLayout->setContentsMargins(6, 2, 6, 2);
    barLayout->addStretch();
    barLayout->addWidget(previous_);
    barLayout->addWidget(position_);
    barLayout->addWidget(next_);
    barLayout->addStretch();
    bar_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pages_, 1);
    layout->addWidget(bar_);
}

ZEVPreviewWindow::~ZEVPreviewWindow() = default;

void ZEVPreviewWindow::setEntries(std::vector<ZEVPreviewEntry> entries)
{
    entries_ = std::move(entries);
    current_ = 0;
    // What was being read is no longer asked for.
    ++generation_;
    loading_ = false;
    bar_->setVisible(entries_.size() > 1);
    majTitle();
}

void ZEVPreviewWindow::setCurrentIndex(int index)
{
    if (entries_.empty() || index < 0 || index >= int(entries_.size()))
        return;
    current_ = index;
    majTitle();
    reload();
}

void ZEVPreviewWindow::majTitle()
{
    const bool several = entries_.size() > 1;
    position_->setText(several ? tr("%1 of %2").arg(current_ + 1).arg(entries_.size()) : QString());
    previous_->setEnabled(current_ > 0);
    next_->setEnabled(current_ + 1 < int(entries_.size()));
    setWindowTitle(entries_.empty() ? tr("Preview") : entries_[current_].title);
}

void ZEVPreviewWindow::reload()
{
    const std::uint64_t generation = ++generation_;
    if (entries_.empty()) {
        loading_ = false;
        showFacts(preview::Facts(), QImage(), tr("Nothing to preview."));
        return;
    }
    const ZEVPreviewEntry& e = entries_[current_];
    // Until the file has been read: the picture in hand and the name.
    preview::Facts name;
    name.name = e.title;
    if (e.path.isEmpty()) {
        loading_ = false;
        showFacts(name, e.image, tr("There is no file to preview."));
        return;
    }
    loading_ = true;
    showFacts(name, e.image, QString());
    thumbs::ThumbnailPool* shared = thumbs::ThumbnailPool::shared();
    QThreadPool* pool = shared ? shared->pool() : QThreadPool::globalInstance();
    const double side = kPictureSide * devicePixelRatioF();
    QPointer<ZEVPreviewWindow> self(this);
    pool->start([self, generation, path = e.path, side, cache = cacheHome()] {
        preview::Content content = preview::loadPreview(path, side, cache);
        QCoreApplication* app = QCoreApplication::instance();
        if (!app)
            return;
        // Only the main thread looks at the window, and only while it lives.
        QMetaObject::invokeMethod(
            app, [self, generation, content = std::move(content)] {
                if (self)
                    self->deliver(generation, content);
            },
            Qt::QueuedConnection);
    });
}

void ZEVPreviewWindow::deliver(std::uint64_t generation, const preview::Content& content)
{
    if (generation != generation_)
        return;
    loading_ = false;
    const ZEVPreviewEntry* e = entries_.empty() ? nullptr : &entries_[current_];
    switch (content.kind) {
    case preview::Content::Kind::Image:
        picture_->setImage(content.image);
        pages_->setCurrentWidget(picture_);
        shown_ = Shown::Image;
        return;
    case preview::Content::Kind::Text: {
        QString text = content.text;
        if (content.textCut)
            text += QStringLiteral("\n\u2026");
        text_->setPlainText(text);
        pages_->setCurrentWidget(text_);
        shown_ = Shown::Text;
        return;
    }
    case preview::Content::Kind::Link:
        showLink(e && !e->title.isEmpty() ? e->title : content.facts.name, content.address);
        return;
    case preview::Content::Kind::Facts:
        break;
    }
    QString note;
    if (!content.facts.exists)
        note = tr("The file cannot be found.");
    else if (content.unreadable)
        note = tr("The file cannot be shown.");
    preview::Facts facts = content.facts;
    if (e && !e->title.isEmpty())
        facts.name = e->title;
    showFacts(facts, QImage(), note);
}

void ZEVPreviewWindow::showFacts(const preview::Facts& facts, const QImage& picture, const QString& note)
{
    shown_ = Shown::Facts;
    const int side = 128;
    QPixmap icon;
    if (!picture.isNull()) {
        icon = QPixmap::fromImage(picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    } else {
        const QString type = facts.folder ? QString() : (facts.mimeName.isEmpty() ? QFileInfo(facts.path).suffix() : facts.mimeName);
        icon = iconForFileType(type.isEmpty() && !facts.folder ? QStringLiteral("application/octet-stream") : type)
                   .pixmap(side, side);
    }
    factsIcon_->setPixmap(icon);
    QStringList lines;
    lines << QStringLiteral("<b>%1</b>").arg(escaped(facts.name));
    if (!facts.kind.isEmpty())
        lines << escaped(facts.kind);
    if (facts.size >= 0)
        lines << tr("Size: %1").arg(escaped(preview::sizeText(facts.size)));
    if (facts.modified.isValid())
        lines << tr("Modified: %1").arg(escaped(QLocale().toString(facts.modified, QLocale::LongFormat)));
    if (!note.isEmpty())
        lines << QStringLiteral("<i>%1</i>").arg(escaped(note));
    factsLabel_->setText(lines.join(QStringLiteral("<br>")));
    pages_->setCurrentIndex(0);
}

void ZEVPreviewWindow::showLink(const QString& title, const QString& address)
{
    const int side = 128;
    // Filled to the side asked: a theme may have the link's icon only small.
    factsIcon_->setPixmap(QPixmap::fromImage(imageOfIcon(iconForFileType(QStringLiteral("webloc")), side)));
    // As people read addresses: no percent signs where the address has letters of its own.
    const QUrl url(address);
    const QString shown = url.isValid() ? url.toDisplayString() : address;
    QStringList lines;
    lines << QStringLiteral("<b>%1</b>").arg(escaped(title)) << escaped(tr("Web link")) << escaped(shown);
    factsLabel_->setText(lines.join(QStringLiteral("<br>")));
    pages_->setCurrentIndex(0);
    shown_ = Shown::Link;
}

QImage ZEVPreviewWindow::shownImage() const { return shown_ == Shown::Image ? picture_->image() : QImage(); }

QString ZEVPreviewWindow::shownText() const { return shown_ == Shown::Text ? text_->toPlainText() : QString(); }

QString ZEVPreviewWindow::factsText() const { return factsLabel_->text(); }

void ZEVPreviewWindow::forwardKey(QKeyEvent* event)
{
    QWidget* over = parentWidget() ? parentWidget()->window() : nullptr;
    if (!over) {
        event->ignore();
        return;
    }
    QWidget* target = over->focusWidget() ? over->focusWidget() : over;
    QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                   event->nativeVirtualKey(), event->nativeModifiers(), event->text(), event->isAutoRepeat(),
                   quint16(event->count()));
    QCoreApplication::sendEvent(target, &copy);
    event->accept();
}

bool ZEVPreviewWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        if (QWidget* over = parentWidget() ? parentWidget()->window() : nullptr)
            if (over->isVisible())
                over->activateWindow();
    return QWidget::event(event);
}

void ZEVPreviewWindow::keyPressEvent(QKeyEvent* event) { forwardKey(event); }

void ZEVPreviewWindow::keyReleaseEvent(QKeyEvent* event) { forwardKey(event); }

void ZEVPreviewWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    emit visibilityChanged(true);
}

void ZEVPreviewWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    emit visibilityChanged(false);
}

} // namespace tallomer
