#pragma once
// The drawing colours, badge and mode images and shadows every view shares.
//
// One instance is made at start by the application object and read through its accessors; the
// values never change afterwards, except the two colours of the active cursor. Callers must not
// change what they read (the accessors hand out const references for that reason). Make it after
// the QApplication: the images are pixmaps.

#include <QColor>
#include <QHash>
#include <QPixmap>
#include <QPointF>
#include <QString>

namespace tallomer {

// A drop shadow. Offsets are y-up, as every drawing formula is; `none` draws no shadow at all.
struct KELShadow {
    QPointF offset;
    qreal blurRadius = 0.0;
    QColor color;
    bool none = false;
};

class KELSharedResources {
public:
    KELSharedResources();
    KELSharedResources(const KELSharedResources&) = delete;
    KELSharedResources& operator=(const KELSharedResources&) = delete;

    // How many instances were ever made in this process (they are expensive: all images are drawn).
    static int instancesMade();

    // Colours.
    const QColor& presentColor() const { return presentColor_; }
    const QColor& presentActifColor() const { return presentActifColor_; }
    const QColor& presentAlphaColor() const { return presentAlphaColor_; }
    const QColor& presentDeskColor() const { return presentDeskColor_; }
    const QColor& futurColor() const { return futurColor_; }
    const QColor& futurActifColor() const { return futurActifColor_; }
    const QColor& futurAlphaColor() const { return futurAlphaColor_; }
    const QColor& passeColor() const { return passeColor_; }
    const QColor& passeActifColor() const { return passeActifColor_; }
    const QColor& passeAlphaColor() const { return passeAlphaColor_; }
    const QColor& rulerTexteColor() const { return rulerTexteColor_; }
    const QColor& rulerTexteActifColor() const { return rulerTexteActifColor_; }
    const QColor& contexteColor() const { return contexteColor_; }
    const QColor& nowCurseurColor() const { return nowCurseurColor_; }
    const QColor& searchCurseurColor() const { return searchCurseurColor_; }
    const QColor& curseurColor() const { return curseurColor_; }
    const QColor& actifCurseurColor() const { return actifCurseurColor_; }
    const QColor& outColor() const { return outColor_; }
    const QColor& outActifColor() const { return outActifColor_; }
    const QColor& iconCadreLineColor() const { return iconCadreLineColor_; }
    const QColor& iconCadreFondColor() const { return iconCadreFondColor_; }
    const QColor& movingColor() const { return movingColor_; }
    const QColor& notFoundColor() const { return notFoundColor_; }
    const QColor& errorColor() const { return errorColor_; }
    const QColor& impactedTVItemColor() const { return impactedTVItemColor_; }

    // The light backgrounds of the Now and Search cursors while active (no accessor of their own
    // elsewhere; exposed for the cursor switch and its tests).
    static QColor nowActifColor();
    static QColor searchActifColor();

    // The only mutable pair: the colours of the active cursor.
    void setCurseurColor(const QColor& c) { curseurColor_ = c; }
    void setActifCurseurColor(const QColor& c) { actifCurseurColor_ = c; }
    // true: the Now pair; false: the Search pair.
    void setActifCurseurColorSiNow(bool siNow);

    // Images.
    const QPixmap& holdByMacImage() const { return image("holdBySystem.tiff"); }
    const QPixmap& holdByZevImage() const { return image("EntityItems32.tiff"); }
    const QPixmap& holdByZevFolderImage() const { return image("zevFolderMini.tiff"); }
    const QPixmap& holdByExternImage() const { return image("holdByExtern.tiff"); }
    const QPixmap& holdByTrashImage() const { return image("holdByTrash.tiff"); }
    const QPixmap& iconImage() const { return image("iconIcon.pdf"); }
    const QPixmap& titleImage() const { return image("iconTitle.pdf"); }
    const QPixmap& filterImage() const { return image("iconFilter.pdf"); }
    const QPixmap& impactImage() const { return image("iconImpact.tiff"); }
    const QPixmap& linkImage() const { return image("iconLink.pdf"); }
    const QPixmap& nodeImage() const { return image("iconNode.pdf"); }
    const QPixmap& searchCursor() const { return image("cursorSearch.tiff"); }

    // Any shared image by its name (the badge and mode images above and the twelve edit-command
    // images "editNowRelease.tiff" … "editBlackRetain.tiff"). Unknown names give a null pixmap.
    const QPixmap& imageNamed(const QString& name) const { return image(name); }
    QStringList imageNames() const { return images_.keys(); }

    // Shadows.
    const KELShadow& itemShadow() const { return itemShadow_; }
    const KELShadow& itemCopyShadow() const { return itemCopyShadow_; }
    const KELShadow& itemNoShadow() const { return itemNoShadow_; }
    const KELShadow& itemTextPresentShadow() const { return itemTextPresentShadow_; }
    const KELShadow& itemCopyTextShadow() const { return itemCopyTextShadow_; }

private:
    const QPixmap& image(const QString& name) const;
    void makeImages();

    QColor presentColor_, presentActifColor_, presentAlphaColor_, presentDeskColor_;
    QColor futurColor_, futurActifColor_, futurAlphaColor_;
    QColor passeColor_, passeActifColor_, passeAlphaColor_;
    QColor rulerTexteColor_, rulerTexteActifColor_, contexteColor_;
    QColor nowCurseurColor_, searchCurseurColor_, curseurColor_, actifCurseurColor_;
    QColor outColor_, outActifColor_, iconCadreLineColor_, iconCadreFondColor_;
    QColor movingColor_, notFoundColor_, errorColor_, impactedTVItemColor_;

    QHash<QString, QPixmap> images_;

    KELShadow itemShadow_, itemCopyShadow_, itemNoShadow_, itemTextPresentShadow_, itemCopyTextShadow_;
};

} // namespace tallomer
