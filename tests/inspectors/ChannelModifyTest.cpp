// The modify panel's writes on a real link base: a colour or a scale rewritten over every period
// of the current Space leaves exactly one value at every moment, the old one before and after;
// equal colours write nothing; another Channel's links are left alone; only the Channel's name
// changes while it is not listed; an unreadable picture changes nothing and a held picture's file
// goes only once the new one is recorded.

#include "tests/inspectors/InspectorFixture.h"

#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/model/ZEVItemClass.h"
#include "inspectors/channels/ZEVChannelClass.h"
#include "inspectors/channels/ZEVChannelModify.h"
#include "inspectors/channels/ZEVChannelModifyPanel.h"
#include "inspectors/channels/ZEVChannelPanelControls.h"
#include "widgets/ZEVAlert.h"

#include <QDir>
#include <QFile>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <tuple>

namespace inspecttest {
namespace {

using Periode = std::tuple<KELDate, KELDate, KELId>;

class ChannelModify : public Inspectors {
protected:
    void SetUp() override
    {
        Inspectors::SetUp();
        ZEVItemDataFolders folders;
        folders.zevDir = store;
        folders.zevData = store + "/local/zevData";
        folders.zevDrop = store + "/local/zevDrop";
        folders.zevFolder = store + "/Drop";
        ZEVItemDataChannels::SetFolders(folders);
        t = space->nowCurseur()->now();
        ch = space->newIdentityNamed("Modif");
        ASSERT_NE(ch, nullptr);
        ASSERT_TRUE(ZEVItemDataChannels::CreateItemDataForChannelInt(ch->idInt()));
        model = std::make_unique<ZEVChannelClass>(nullptr, *space);
        model->initialiser();
        model->enclencherMaj();
        items = std::make_unique<ZEVItemClass>(space->nowCurseur(), nullptr);
        image = objet("Picture");
        space->updateChannelWithIdentityInt(ch->idInt());
        model->channelDidChangeWithIdentityInt(ch->idInt());
        ZEVItemDataChannels::SetCurrentChannelInt(ch->idInt());
        settle();
        ASSERT_EQ(space->currentChannelInt(), ch->idInt());
        modify = std::make_unique<ZEVChannelModify>(*space, *model);
        rouge = couleur(QColor(200, 0, 0));
        bleu = QColor(0, 0, 200);
    }
    void TearDown() override
    {
        modify.reset();
        items.reset();
        model.reset();
        ZEVItemDataChannels::Reset();
        Inspectors::TearDown();
    }
    KELI* objet(const std::string& titre, KELId canal = 0)
    {
        KELI* o = items->creerItemWithChannelInt(canal ? canal : ch->idInt(), titre, "file", "png", 1);
        EXPECT_NE(o, nullptr);
        return o;
    }
    KELI* couleur(const QColor& c) { return space->createColorItemWithColor(c, "No name"); }
    KELI* lien(KELId rel, KELI* parent, KELI* enfant, KELDate in, KELDate out)
    {
        KELI* l = KELServeurDeLiens::CreerLienRelInt(rel, parent, enfant, in, out, space->nowCurseur());
        EXPECT_NE(l, nullptr);
        return l;
    }
    // The current Space's picture over a period, listed.
    void periode(KELDate in, KELDate out, KELI* img = nullptr, KELI* canal = nullptr)
    {
        lien(KELRELATION_IDENTITY_BACK_ITEM, canal ? canal : ch, img ? img : image, in, out);
    }
    void liste()
    {
        lien(KELRELATION_CHANNEL_VIEWER, KELServeurDeLiens::LienForInt(KELOBJECT_CHANNEL_VIEWER_ROOT, space->nowCurseur()),
             ch, KELDateToujours, KELDateOuverte);
        settle();
    }
    // The live links of the Channel's relation in in-date order, the value as a colour item
    // folded onto its red (colour) or the word id (scale).
    std::vector<Periode> valeurs(KELId rel, KELI* canal = nullptr)
    {
        std::vector<Periode> out;
        canal = canal ? canal : ch;
        for (KELId id : KELServeurDeLiens::LiensNumDuParentIntRelInt(canal->idInt(), rel).value_or(std::vector<KELId>())) {
            KELI* l = KELServeurDeLiens::LienForInt(id, space->nowCurseur());
            if (!l || l->inDate() >= KELDateOublieeIn)
                continue;
            KELId v = l->enfantInt();
            if (rel == KELRELATION_IDENTITY_BACK_COLOR)
                v = space->colorForColorItem(KELServeurDeLiens::LienForInt(v, space->nowCurseur())).rgb() & 0xffffff;
            out.emplace_back(l->inDate(), l->outDate(), v);
        }
        std::sort(out.begin(), out.end());
        return out;
    }
    std::vector<Periode> couleurs() { return valeurs(KELRELATION_IDENTITY_BACK_COLOR); }
    static KELId rgb(const QColor& c) { return c.rgb() & 0xffffff; }
    // No two links of the list share a moment.
    static void uneValeurAChaqueInstant(const std::vector<Periode>& v)
    {
        for (std::size_t i = 1; i < v.size(); ++i)
            EXPECT_LE(std::get<1>(v[i - 1]), std::get<0>(v[i])) << "links " << i - 1 << " and " << i << " overlap";
    }
    QString png(const QString& name, QColor fill = Qt::green)
    {
        QImage img(40, 30, QImage::Format_RGB32);
        img.fill(fill);
        const QString p = store + "/" + name;
        EXPECT_TRUE(img.save(p));
        return p;
    }

    KELDate t = 0;
    KELI* ch = nullptr;
    KELI* image = nullptr;
    KELI* rouge = nullptr;
    QColor bleu;
    std::unique_ptr<ZEVChannelClass> model;
    std::unique_ptr<ZEVItemClass> items;
    std::unique_ptr<ZEVChannelModify> modify;
    std::vector<ZEVAlertRequest> alerts;
    ScopedAlertAnswerer answerer{[this](const ZEVAlertRequest& r) { return alerts.push_back(r), 0; }};
};

TEST_F(ChannelModify, ALinkSpanningThePeriodEndsAtItsStartAndItsColourComesBackAfterIt)
{
    const KELId r = rgb(QColor(200, 0, 0)), b = rgb(bleu);
    // Bounded: the old colour runs again from the period's end to where it ended before.
    periode(t - 100, t + 100);
    lien(KELRELATION_IDENTITY_BACK_COLOR, ch, rouge, t - 1000, t + 1000);
    settle();
    EXPECT_EQ(modify->modifyColor(bleu), 1);
    EXPECT_EQ(couleurs(), (std::vector<Periode>{{t - 1000, t - 100, r}, {t - 100, t + 100, b}, {t + 100, t + 1000, r}}));

}

TEST_F(ChannelModify, PrevOnlyNextOnlyAndInsideLinksLeaveOneColourAtEveryMoment)
{
    const KELId r = rgb(QColor(200, 0, 0)), b = rgb(bleu), v = rgb(QColor(0, 160, 0));
    KELI* vert = couleur(QColor(0, 160, 0));
    // Prev only: began before, ends inside; the next one began inside and runs on.
    periode(t - 100, t + 100);
    lien(KELRELATION_IDENTITY_BACK_COLOR, ch, rouge, t - 1000, t);
    lien(KELRELATION_IDENTITY_BACK_COLOR, ch, vert, t, t + 1000);
    settle();
    EXPECT_EQ(modify->modifyColor(bleu), 1);
    auto c = couleurs();
    EXPECT_EQ(c, (std::vector<Periode>{{t - 1000, t - 100, r}, {t - 100, t + 100, b}, {t + 100, t + 1000, v}}));
    uneValeurAChaqueInstant(c);

    // Inside: a link lying within the period is forgotten, its neighbours cut.
    EXPECT_EQ(modify->modifyColor(QColor(220, 220, 0)), 1);
    c = couleurs();
    EXPECT_EQ(c, (std::vector<Periode>{{t - 1000, t - 100, r}, {t - 100, t + 100, rgb(QColor(220, 220, 0))},
                                       {t + 100, t + 1000, v}}));
}

TEST_F(ChannelModify, NextOnlyIsMovedPastTheEndOrForgottenAtTheOpenEnd)
{
    const KELId b = rgb(bleu), v = rgb(QColor(0, 160, 0));
    KELI* vert = couleur(QColor(0, 160, 0));
    periode(t - 100, t + 100);
    KELI* suite = objet("Next");
    periode(t + 100, KELDateOuverte, suite);
    lien(KELRELATION_IDENTITY_BACK_COLOR, ch, vert, t - 100, t + 1000);
    settle();
    EXPECT_EQ(modify->modifyColor(bleu), 1);
    EXPECT_EQ(couleurs(), (std::vector<Periode>{{t - 100, t + 100, b}, {t + 100, t + 1000, v}}));

    // The Space reaching the open end: the link beginning with it has no after and is forgotten.
    KELI* seul = space->newIdentityNamed("Open");
    ASSERT_NE(seul, nullptr);
    KELI* img = objet("Open picture", seul->idInt());
    lien(KELRELATION_IDENTITY_BACK_ITEM, seul, img, t - 100, KELDateOuverte);
    KELI* gris = couleur(QColor(90, 90, 90));
    KELI* l = lien(KELRELATION_IDENTITY_BACK_COLOR, seul, gris, t - 100, KELDateOuverte);
    space->updateChannelWithIdentityInt(seul->idInt());
    model->channelDidChangeWithIdentityInt(seul->idInt());
    settle();
    ASSERT_EQ(space->currentChannelInt(), seul->idInt());
    EXPECT_EQ(modify->modifyColor(bleu), 1);
    EXPECT_GE(l->inDate(), KELDateOublieeIn) << "the old link is forgotten";
    EXPECT_EQ(valeurs(KELRELATION_IDENTITY_BACK_COLOR, seul), (std::vector<Periode>{{t - 100, KELDateOuverte, b}}));
}

TEST_F(ChannelModify, EveryPeriodOfThePictureIsRewrittenAndAnotherChannelsLinkIsSkipped)
{
    const KELId r = rgb(QColor(200, 0, 0)), b = rgb(bleu);
    KELI* entre = objet("Between");
    periode(t - 100, t + 100);
    periode(t + 100, t + 300, entre);
    periode(t + 300, t + 400);
    lien(KELRELATION_IDENTITY_BACK_COLOR, ch, rouge, t - 1000, KELDateOuverte);
    // The same picture under another Channel: a broken base, left as it is.
    KELI* autre = space->newIdentityNamed("Elsewhere");
    ASSERT_NE(autre, nullptr);
    periode(t + 500, t + 600, image, autre);
    lien(KELRELATION_IDENTITY_BACK_COLOR, autre, rouge, t - 1000, KELDateOuverte);
    settle();

    EXPECT_EQ(modify->modifyColor(bleu), 2);
    const auto c = couleurs();
    EXPECT_EQ(c, (std::vector<Periode>{{t - 1000, t - 100, r},
                                       {t - 100, t + 100, b},
                                       {t + 100, t + 300, r},
                                       {t + 300, t + 400, b},
                                       {t + 400, KELDateOuverte, r}}));
    uneValeurAChaqueInstant(c);
    EXPECT_EQ(valeurs(KELRELATION_IDENTITY_BACK_COLOR, autre), (std::vector<Periode>{{t - 1000, KELDateOuverte, r}}));
    EXPECT_TRUE(log.contains("ZEVBase Integrity error !"));
}

TEST_F(ChannelModify, TheSameColourOrScaleWritesNothing)
{
    periode(t - 100, t + 100);
    lien(KELRELATION_IDENTITY_BACK_COLOR, ch, rouge, t - 1000, KELDateOuverte);
    KELI* fit = KELServeurDeLiens::LienForInt(KELOBJECT_SCALE_IN, space->nowCurseur());
    lien(KELRELATION_IDENTITY_BACK_SCALE, ch, fit, t - 1000, KELDateOuverte);
    settle();
    const auto avant = couleurs();
    // Finer than the store keeps: the same colour.
    EXPECT_EQ(modify->modifyColor(QColor::fromRgbF(200.2f / 255.f, 0.001f, 0.0f)), 0);
    EXPECT_EQ(modify->modifyScale(KELOBJECT_SCALE_IN), 0);
    EXPECT_EQ(couleurs(), avant);
    EXPECT_EQ(valeurs(KELRELATION_IDENTITY_BACK_SCALE).size(), 1u);

    // A scale change goes the same way as a colour.
    EXPECT_EQ(modify->modifyScale(KELOBJECT_SCALE_OUT), 1);
    EXPECT_EQ(valeurs(KELRELATION_IDENTITY_BACK_SCALE),
              (std::vector<Periode>{{t - 1000, t - 100, KELOBJECT_SCALE_IN},
                                    {t - 100, t + 100, KELOBJECT_SCALE_OUT},
                                    {t + 100, KELDateOuverte, KELOBJECT_SCALE_IN}}));
}

TEST_F(ChannelModify, UnlistedOnlyTheNameChangesAndListedTheSpaceFollowsTheChoices)
{
    periode(t - 100, t + 100);
    lien(KELRELATION_IDENTITY_BACK_COLOR, ch, rouge, t - 1000, KELDateOuverte);
    settle();
    ZEVChannelModify::State s = modify->current();
    EXPECT_FALSE(s.listed);
    EXPECT_EQ(s.channelName, "Modif");
    EXPECT_TRUE(ZEVChannelModify::memeCouleur(s.color, space->colorForColorItem(space->defaultColorItem())));

    const auto avant = couleurs();
    ZEVChannelModify::Choices c{"Renamed", "New title", bleu, KELOBJECT_SCALE_OUT, QString()};
    EXPECT_TRUE(modify->apply(c));
    settle();
    EXPECT_EQ(model->nameOfCurrentChannel().value_or(""), "Renamed");
    EXPECT_EQ(couleurs(), avant) << "an unlisted Channel's Space is not touched";
    EXPECT_TRUE(valeurs(KELRELATION_IDENTITY_BACK_SCALE).empty());

    liste();
    s = modify->current();
    ASSERT_TRUE(s.listed);
    EXPECT_EQ(s.image, image);
    EXPECT_TRUE(ZEVChannelModify::memeCouleur(s.color, QColor(200, 0, 0)));
    // The filled state given back unchanged writes nothing.
    EXPECT_TRUE(modify->apply({s.channelName, s.spaceName, s.color, s.scaleInt, s.path}));
    EXPECT_EQ(couleurs(), avant);
    EXPECT_TRUE(modify->apply(c));
    EXPECT_EQ(couleurs().size(), 3u);
    EXPECT_EQ(valeurs(KELRELATION_IDENTITY_BACK_SCALE), (std::vector<Periode>{{t - 100, t + 100, KELOBJECT_SCALE_OUT}}));
}

TEST_F(ChannelModify, AnUnreadablePictureIsRefusedAndAHeldFileGoesOnlyOnceTheNewOneIsRecorded)
{
    periode(t - 100, t + 100);
    liste();
    ZEVItemData* data = ZEVItemDataChannels::ItemDataForChannelInt(ch->idInt());
    ASSERT_NE(data, nullptr);
    // The picture the store holds, in the Object's drop folder.
    const QString dossier = data->itemDropFolder(image->idInt());
    ASSERT_TRUE(QDir().mkpath(dossier));
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(Qt::red);
    const QString ancien = dossier + "/old.png";
    ASSERT_TRUE(img.save(ancien));
    ASSERT_TRUE(data->createFileURL(ancien, QUrl(), image));
    ASSERT_TRUE(ZEVItemDataChannels::IfHoldByZev(ancien));

    QFile bad(store + "/broken.png");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture at all");
    bad.close();
    const int beeps = sound.beeps;
    EXPECT_FALSE(modify->modifyImageItem(image, bad.fileName()));
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_TRUE(QFile::exists(ancien)) << "the held file stays";
    EXPECT_EQ(QDir::cleanPath(data->fileUrlForItem(image)), QDir::cleanPath(ancien));
    EXPECT_FALSE(modify->modifyImageItem(image, store + "/missing.png"));
    EXPECT_TRUE(QFile::exists(ancien));

    const QString nouveau = png("new.png");
    EXPECT_TRUE(modify->modifyImageItem(image, nouveau));
    EXPECT_EQ(QDir::cleanPath(data->recordedFilePathForItem(image)), QDir::cleanPath(nouveau));
    EXPECT_FALSE(QFile::exists(ancien)) << "the held file goes once the new one is recorded";
    EXPECT_TRUE(QFile::exists(nouveau));
}

TEST_F(ChannelModify, ThePanelFollowsTheActiveCursorRefusesAnUnreadablePictureAndKeepsTheHomeAfterCancel)
{
    periode(t - 100, t + 100);
    lien(KELRELATION_IDENTITY_BACK_COLOR, ch, rouge, t - 1000, KELDateOuverte);
    settle();
    ZEVChannelModifyPanel panel(*space, *model);
    QString reponse;
    panel.setChooser([&reponse](QWidget*) { return reponse; });
    panel.openForSpace();
    ASSERT_TRUE(panel.isVisible());
    // Unlisted: the Space's controls are off, the colour is the default one, the Channel's name
    // takes the selection.
    EXPECT_FALSE(panel.spaceField()->isEnabled());
    EXPECT_FALSE(panel.controls()->colorButton()->isEnabled());
    EXPECT_FALSE(panel.controls()->showImage());
    EXPECT_TRUE(ZEVChannelModify::memeCouleur(panel.controls()->color(), space->colorForColorItem(space->defaultColorItem())));
    EXPECT_EQ(panel.channelField()->selectedText(), QStringLiteral("Modif"));
    // Listed since: the next look at the Space fills them.
    liste();
    panel.spaceMayHaveChanged();
    EXPECT_TRUE(panel.spaceField()->isEnabled());
    EXPECT_TRUE(ZEVChannelModify::memeCouleur(panel.controls()->color(), QColor(200, 0, 0)));
    EXPECT_EQ(panel.filledImage(), image);

    // A picture that cannot be read is refused with a message and is not kept.
    QFile bad(store + "/broken.png");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("no picture");
    bad.close();
    reponse = bad.fileName();
    panel.imageDidChange();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(alerts[0].message.contains(QStringLiteral("broken.png")));
    EXPECT_NE(panel.imagePath(), reponse);
    reponse = png("chosen.png");
    panel.imageDidChange();
    EXPECT_EQ(panel.imagePath(), reponse);
    EXPECT_TRUE(panel.controls()->showImage());

    // Home at once, kept by Cancel, which writes nothing else.
    panel.setAsHomeBox()->setChecked(true);
    EXPECT_FALSE(panel.setAsHomeBox()->isEnabled());
    panel.channelField()->setText(QStringLiteral("Other name"));
    panel.reject();
    EXPECT_EQ(space->homeChannelInt(), ch->idInt());
    EXPECT_EQ(model->nameOfCurrentChannel().value_or(""), "Modif");
    // OK on what was filled writes nothing: no colour, and no scale for a Space that had none.
    const auto avant = couleurs();
    panel.openForSpace();
    panel.accept();
    EXPECT_EQ(couleurs(), avant);
    EXPECT_TRUE(valeurs(KELRELATION_IDENTITY_BACK_SCALE).empty());
}

} // namespace
} // namespace inspecttest
