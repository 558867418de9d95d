#pragma once
// The preview window: a large look at one file at a time, without opening it in a program. It
// shows a picture (an image file, a PDF's first page), a text, a web link's title and address, or
// the type's icon and the file's facts. The file is read away from the main thread, on the thumbnail layer's pool; until it has
// been read, and whenever it cannot be, the window shows the picture it was given and the name.
//
// The window never takes the keyboard: the keys stay with the window it was opened over, which
// decides what they do with it.

#include "platform/preview/PreviewContent.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QStackedWidget;
class QToolButton;

namespace tallomer {

class ZEVPreviewPicture;

// One thing to preview.
struct ZEVPreviewEntry {
    QString path;  // the file; empty when the thing has none to show
    QString title; // as the user named it
    QImage image;  // the picture shown until the file has been read (may be null)
};

class ZEVPreviewWindow final : public QWidget {
    Q_OBJECT
public:
    // A tool window over `parent` (which may be null), hidden until shown.
    explicit ZEVPreviewWindow(QWidget* parent = nullptr);
    ~ZEVPreviewWindow() override;

    // The things to preview; the first is shown. Nothing is read until reload().
    void setEntries(std::vector<ZEVPreviewEntry> entries);
    const std::vector<ZEVPreviewEntry>& entries() const { return entries_; }
    int currentIndex() const { return current_; }
    // Shows another of the entries and reads it.
    void setCurrentIndex(int index);
    // Reads the shown entry's file again.
    void reload();

    // What shows now, as the user sees it.
    enum class Shown { Facts, Image, Text, Link };
    Shown shown() const { return shown_; }
    bool siLoading() const { return loading_; }
    QImage shownImage() const;
    QString shownText() const;
    // The facts, or a web link's title and address, as rich text.
    QString factsText() const;

    // The longest side a picture is read at, in pixels.
    static constexpr double kPictureSide = 1600;

signals:
    // The window was shown (true) or hidden (false), by the program or through the window manager.
    void visibilityChanged(bool visible);

protected:
    // A window manager that activates the window all the same gets the window underneath back.
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Keys that reach the window all the same go to the window it was opened over.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void deliver(std::uint64_t generation, const preview::Content& content);
    void showFacts(const preview::Facts& facts, const QImage& picture, const QString& note);
    void showLink(const QString& title, const QString& address);
    void majTitle();
    void forwardKey(QKeyEvent* event);

    std::vector<ZEVPreviewEntry> entries_;
    int current_ = 0;
    std::uint64_t generation_ = 0;
    bool loading_ = false;
    Shown shown_ = Shown::Facts;
    QStackedWidget* pages_;      // owned by this window as its Qt child
    QLabel* factsIcon_;          // idem
    QLabel* factsLabel_;         // idem
    ZEVPreviewPicture* picture_; // idem
    QPlainTextEdit* text_;       // idem
    QWidget* bar_;               // idem
    QToolButton* previous_;      // idem
    QToolButton* next_;          // idem
    QLabel* position_;           // idem
};

} // namespace tallomer
