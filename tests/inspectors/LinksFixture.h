#pragma once
// The Links panel's controller on a real link base, with Objects made on the current Channel and
// links between them written through the engine.

#include "tests/inspectors/InspectorFixture.h"

#include "desk/model/ZEVItemClass.h"
#include "inspectors/links/ZEVLinkViewer.h"

#include <memory>
#include <string>

namespace inspecttest {

class LinksFixture : public Inspectors {
protected:
    void SetUp() override
    {
        Inspectors::SetUp();
        canal = space->currentChannelInt();
        items = std::make_unique<ZEVItemClass>(space->nowCurseur(), nullptr);
        viewer = dynamic_cast<ZEVLinkViewer*>(space->viewerForEntityClassName("ZEVLinkViewer"));
        ASSERT_NE(viewer, nullptr);
    }
    ZEVLinkClass& m() { return viewer->model(); }
    KELI* objet(const std::string& titre)
    {
        KELI* o = items->creerItemWithChannelInt(canal, titre, "file", "txt", 0);
        EXPECT_NE(o, nullptr);
        return o;
    }
    KELI* lien(KELI* parent, KELI* enfant, KELDate in, KELDate out)
    {
        KELI* l = KELServeurDeLiens::CreerLienRelInt(KELRELATION_LINK_VIEWER, parent, enfant, in, out,
                                                     space->nowCurseur());
        EXPECT_NE(l, nullptr);
        return l;
    }

    KELId canal = 0;
    ZEVLinkViewer* viewer = nullptr; // the Space's, not owned
    std::unique_ptr<ZEVItemClass> items;
};

} // namespace inspecttest
