#pragma once
// Browser windows on a fresh copy of the template link base, started up at the global cursor, with
// a virtual clock and scheduler and a sound that counts beeps. Every window still open is closed
// before the link base goes.

#include "browser/KELVueController.h"
#include "browser/KELVueDeBase.h"
#include "platform/sound/Sound.h"
#include "tests/engine/EngineFixture.h"

#include <QLineEdit>
#include <QPushButton>

namespace browsertest {

using namespace tallomer;

inline QString programFiles() { return QString::fromStdString(tallomer::test::buildDir() + "/share/tallomer"); }

class Browser : public enginetest::LinkBase {
protected:
    void SetUp() override
    {
        enginetest::LinkBase::SetUp();
        Sound::setShared(&sound);
        startUp();
    }
    void TearDown() override
    {
        KELVueController::fermerToutes();
        Sound::setShared(nullptr);
        enginetest::LinkBase::TearDown();
    }

    static KELVueController* ouvrir(KELId lienInt, std::shared_ptr<KELIElemSelection> s = nullptr)
    {
        return KELVueController::ouvrir(lienInt, 0, std::move(s));
    }
    static KELVueDeBase* base(KELVueController* w, std::size_t i = 0)
    {
        return w && i < w->vues().size() ? dynamic_cast<KELVueDeBase*>(w->vues()[i].get()) : nullptr;
    }
    // The column's button with this title.
    static QPushButton* bouton(KELVueDe* v, const QString& titre)
    {
        for (auto* b : v->barreDeBoutons()->findChildren<QPushButton*>())
            if (b->text() == titre)
                return b;
        return nullptr;
    }
    // The column's row of the word (or number) shown, or nullptr.
    static KELI* ligne(KELVueDe* v, const QString& texte)
    {
        for (KELI* l : v->lignes())
            if (v->valeur(l, QStringLiteral("2")).toString() == texte)
                return l;
        return nullptr;
    }
    // Adds a word through the column's field, as the user would with Return.
    static KELI* ajouter(KELVueDeBase* v, const QString& texte)
    {
        v->champ()->setText(texte);
        return v->ajouterUnElement();
    }

    RecordingSound sound;
};

} // namespace browsertest
