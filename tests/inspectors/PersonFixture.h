#pragma once
// The Contacts inspector on a real link base and Object store: two Channels with their stores,
// an address book in a folder of the test's own, contact Objects with or without a record, their
// presences, and the Search cursor moved by the ruler as the user moves it.

#include "tests/inspectors/InspectorFixture.h"
#include "tests/inspectors/RowListsProperty.h"

#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/model/ZEVModelSupport.h"
#include "inspectors/contacts/ZEVPersonClass.h"
#include "inspectors/contacts/ZEVPersonViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "platform/contacts/VCardFolder.h"
#include "space/ZEVSelections.h"

namespace inspecttest {

class PersonFixture : public RowLists {
protected:
    static constexpr double kHour = 3600.0;

    void SetUp() override
    {
        RowLists::SetUp();
        ZEVItemDataFolders folders;
        folders.zevDir = store + "/Tallomer";
        folders.zevData = store + "/Tallomer/local/zevData";
        folders.zevDrop = store + "/Tallomer/local/zevDrop";
        folders.zevFolder = store + "/Drop";
        ZEVItemDataChannels::SetFolders(folders);
        canalA = space->currentChannelInt();
        KELI* b = space->newIdentityNamed("Second");
        ASSERT_NE(b, nullptr);
        canalB = b->idInt();
        ASSERT_TRUE(ZEVItemDataChannels::CreateItemDataForChannelInt(canalA));
        ASSERT_TRUE(ZEVItemDataChannels::CreateItemDataForChannelInt(canalB));
        ZEVItemDataChannels::SetCurrentChannelInt(canalA);
        settle();
    }
    void TearDown() override
    {
        ZEVItemDataChannels::Reset();
        Inspectors::TearDown();
    }

    // The Contacts controller, its panel shown when asked.
    ZEVPersonViewer* open(bool show = true)
    {
        auto* v = dynamic_cast<ZEVPersonViewer*>(creer("ZEVPersonViewer", KELENTITY_PERSON_VIEWER));
        EXPECT_NE(v, nullptr);
        v->model().referencerAddressBook(&book);
        if (show) {
            v->showInspectView(true);
            settle();
        }
        return v;
    }
    ZEVTableView& tableOf(ZEVPersonViewer* v) { return *v->inspectViewIfBuilt()->inspectTableView(); }
    // A contact Object of that Channel; with a uid, its record names that card.
    KELI* contact(const std::string& title, KELId canal, const QString& uid = QString())
    {
        if (!items)
            items = std::make_unique<ZEVItemClass>(space->nowCurseur(), nullptr);
        KELI* o = items->creerItemWithChannelInt(canal, title, "ABPerson", "vcf", ZEVOPTION_HOLD_BY_APP);
        EXPECT_NE(o, nullptr);
        if (!uid.isNull()) {
            EXPECT_TRUE(ZEVItemDataChannels::ItemDataForChannelInt(canal)->createFilePersonWithUid(uid, o));
        }
        return o;
    }
    KELI* lego(KELI* o, KELId canal, KELDate in, KELDate out, KELId relation = KELRELATION_PERSON_VIEWER)
    {
        return presence(relation, o, canal, in, out);
    }
    // The live links of a relation with the Object as child (every Channel), by in-date.
    std::vector<KELI*> liveLinks(KELI* o, KELId relation)
    {
        std::vector<KELI*> out;
        const KELIds ids = KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(o->idInt(), relation);
        if (ids)
            for (KELId id : *ids)
                if (KELI* l = KELServeurDeLiens::LienForInt(id, KELServeurDeLiens::CurseurGlobal());
                    !deskmodel::siOublie(l))
                    out.push_back(l);
        std::sort(out.begin(), out.end(), [](KELI* a, KELI* b) { return a->inDate() < b->inDate(); });
        return out;
    }

    QString contacts = store + "/contacts";
    VCardFolder book{contacts};
    std::unique_ptr<ZEVItemClass> items;
    KELId canalA = 0;
    KELId canalB = 0;
};

} // namespace inspecttest
