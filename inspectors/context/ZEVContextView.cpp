#include "inspectors/context/ZEVContextView.h"

#include "widgets/ZEVButton.h"

namespace tallomer {

ZEVContextView::ZEVContextView(QWidget* parent) : ZEVContextViewStandIn(parent) {}

std::vector<ZEVButton*> ZEVContextView::buttons() const
{
    std::vector<ZEVButton*> out;
    for (QObject* o : children())
        if (auto* b = qobject_cast<ZEVButton*>(o))
            out.push_back(b);
    return out;
}

void ZEVContextView::majWidths()
{
    const int n = int(buttons().size());
    // With no button the row is one point wide.
    setWidths((kWideWidth - 1) * n + 1, (kNarrowWidth - 1) * n + 1);
}

void ZEVContextView::adjustMin()
{
    ZEVContextViewStandIn::adjustMin();
    placer(true);
}

void ZEVContextView::adjustMax()
{
    ZEVContextViewStandIn::adjustMax();
    placer(false);
}

void ZEVContextView::placer(bool narrow)
{
    const int w = narrow ? kNarrowWidth : kWideWidth;
    int x = 0;
    for (ZEVButton* b : buttons()) {
        b->setImagePosition(narrow ? ZEVImagePosition::ImageOnly : ZEVImagePosition::ImageLeft);
        b->setGeometry(x, 0, w, kHeight);
        x += w - 1;
    }
}

} // namespace tallomer
