#pragma once
// How a link crossed the edge of a window, as the link base tells a desk: it came into the cursor
// (Active) or left it (Desactive), came into the cursor's context window (Ajoute) or left it
// (Enleve), through the window's future edge or its past one. The desk viewer applies it to the
// view of an icon's Object, the item viewer to the drawn Link of an Object-to-Object link; both
// move the same presence counters in the same order.

namespace tallomer {

struct ZEVCroisement {
    enum Kind { Active, Desactive, Ajoute, Enleve };
    enum Edge { Futur, Passe };

    Kind kind;
    Edge edge;

    // The one reading of a link-base notice: an activation or a deactivation, heard on the cursor
    // itself or else on its context, for a link whose crossing was at the future edge or not.
    static constexpr ZEVCroisement DuLien(bool activation, bool auCurseur, bool futur)
    {
        const Kind k = auCurseur ? (activation ? Active : Desactive) : (activation ? Ajoute : Enleve);
        return {k, futur ? Futur : Passe};
    }

    // The link came in (Active, Ajoute) rather than left.
    constexpr bool entre() const { return kind == Active || kind == Ajoute; }
    // The crossing is of the context window (Ajoute, Enleve) rather than of the cursor.
    constexpr bool duContexte() const { return kind == Ajoute || kind == Enleve; }
    friend constexpr bool operator==(ZEVCroisement, ZEVCroisement) = default;
};

// Moves the presence counters (setSiAjoute, setSiActif, setSiFutur) of a view or a drawn Link for
// one crossing. The future counter moves with the context at its future edge and with the cursor
// at its past edge. Views hold the future counter at 0 while nothing is added, so it rises after
// the added counter (a rise before it would be lost) and falls before it.
template <class Compteurs>
void ZEVAppliquerCroisement(Compteurs& c, ZEVCroisement x)
{
    const bool oui = x.entre();
    switch (x.kind) {
    case ZEVCroisement::Ajoute:
    case ZEVCroisement::Enleve:
        if (!oui && x.edge == ZEVCroisement::Futur)
            c.setSiFutur(false);
        c.setSiAjoute(oui);
        if (oui && x.edge == ZEVCroisement::Futur)
            c.setSiFutur(true);
        break;
    case ZEVCroisement::Active:
    case ZEVCroisement::Desactive:
        c.setSiActif(oui);
        if (x.edge == ZEVCroisement::Passe)
            c.setSiFutur(oui);
        break;
    }
}

} // namespace tallomer
