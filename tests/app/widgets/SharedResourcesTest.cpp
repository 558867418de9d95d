#include "app/shared/KELSharedResources.h"

#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

using tallomer::KELSharedResources;

TEST(SharedResources, MadeOnceAndReadWithoutCopies)
{
    const int before = KELSharedResources::instancesMade();
    KELSharedResources res;
    EXPECT_EQ(KELSharedResources::instancesMade(), before + 1);
    // Accessors hand out the one stored value, never a fresh one.
    EXPECT_EQ(&res.presentColor(), &res.presentColor());
    EXPECT_EQ(res.iconImage().cacheKey(), res.iconImage().cacheKey());
    EXPECT_EQ(&res.itemShadow(), &res.itemShadow());
    EXPECT_EQ(KELSharedResources::instancesMade(), before + 1);
}

TEST(SharedResources, OnlyTheActiveCursorPairChangesAndComesBackExactly)
{
    KELSharedResources res;
    const QColor c0 = res.curseurColor(), a0 = res.actifCurseurColor(), p0 = res.presentColor();
    const QColor now0 = res.nowCurseurColor(), search0 = res.searchCurseurColor();

    res.setActifCurseurColorSiNow(false);
    EXPECT_EQ(res.curseurColor(), res.searchCurseurColor());
    EXPECT_EQ(res.actifCurseurColor(), KELSharedResources::searchActifColor());
    res.setActifCurseurColorSiNow(true);
    EXPECT_EQ(res.curseurColor(), c0);
    EXPECT_EQ(res.actifCurseurColor(), a0);

    res.setCurseurColor(Qt::blue);
    res.setActifCurseurColor(Qt::yellow);
    EXPECT_EQ(res.curseurColor(), QColor(Qt::blue));
    // The Now and Search colours themselves are untouched by the switch.
    EXPECT_EQ(res.nowCurseurColor(), now0);
    EXPECT_EQ(res.searchCurseurColor(), search0);
    EXPECT_EQ(res.presentColor(), p0);
}

TEST(SharedResources, ImagesAreDrawnAtTheirSharedSizes)
{
    KELSharedResources res;
    EXPECT_EQ(res.holdByMacImage().deviceIndependentSize(), QSizeF(20, 20));
    EXPECT_EQ(res.holdByZevImage().deviceIndependentSize(), QSizeF(20, 20));
    EXPECT_EQ(res.holdByTrashImage().deviceIndependentSize(), QSizeF(20, 20));
    for (const QPixmap* p : {&res.iconImage(), &res.titleImage(), &res.filterImage(), &res.linkImage()})
        EXPECT_EQ(p->deviceIndependentSize(), QSizeF(18, 18));
    for (const char* cursor : {"Now", "Search", "Black"})
        for (const char* action : {"Release", "Forget", "Recall", "Retain"}) {
            const QPixmap& p = res.imageNamed(QString("edit%1%2.tiff").arg(cursor, action));
            ASSERT_FALSE(p.isNull()) << cursor << action;
            EXPECT_EQ(p.deviceIndependentSize(), QSizeF(32, 18));
        }
    EXPECT_TRUE(res.imageNamed("noSuchImage.tiff").isNull());

    // Every image has something drawn on it, and no two images are the same drawing.
    QSet<QByteArray> seen;
    for (const QString& name : res.imageNames()) {
        const QImage img = res.imageNamed(name).toImage();
        bool painted = false;
        for (int y = 0; y < img.height() && !painted; ++y)
            for (int x = 0; x < img.width() && !painted; ++x)
                painted = qAlpha(img.pixel(x, y)) != 0;
        EXPECT_TRUE(painted) << qPrintable(name);
        const QByteArray bits(reinterpret_cast<const char*>(img.constBits()), img.sizeInBytes());
        EXPECT_FALSE(seen.contains(bits)) << qPrintable(name);
        seen.insert(bits);
    }
}
