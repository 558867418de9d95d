#pragma once
// The colours of backgrounds, stored as Objects of the link base (a red, a green and a blue number
// from 0 to 255, and a name), so that a colour can change through time: finding, making and
// reading them.

#include <QColor>

#include <string>

class KELI;
class KELIElemRelation;
class KELIModel;
class KELIModelMot;

namespace tallomer {

class ZEVSpaceController;

class ZEVColorItems {
public:
    explicit ZEVColorItems(ZEVSpaceController& space) : space_(space) {}
    ZEVColorItems(const ZEVColorItems&) = delete;
    ZEVColorItems& operator=(const ZEVColorItems&) = delete;

    // Finds the models and relations a colour item is made of, at the timeline cursor.
    void lireLesModeles();
    KELI* defaultColorItem() const { return defaultColorItem_; }
    KELI* createColorItemWithColor(const QColor& color, const std::string& name);
    KELI* newColorWithRouge(KELI* rouge, KELI* vert, KELI* bleu, KELI* name);
    std::string colorNameForColorItem(KELI* colorItem);
    QColor colorForColorItem(KELI* colorItem);

private:
    ZEVSpaceController& space_;
    KELIModel* nombreModel_ = nullptr;
    KELIModelMot* motModel_ = nullptr;
    KELIModel* itemModel_ = nullptr;
    KELIElemRelation* itemTitleRelation_ = nullptr;
    KELIElemRelation* colorRedRelation_ = nullptr;
    KELIElemRelation* colorGreenRelation_ = nullptr;
    KELIElemRelation* colorBlueRelation_ = nullptr;
    KELI* defaultColorItem_ = nullptr;
};

} // namespace tallomer
