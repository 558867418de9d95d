#pragma once
// The Images inspector's controller: its model lists the image Objects of the current Channel at
// the active cursor with their colours; its panel shows them with their thumbnails, rebuilt once
// shortly after the engine's first notice while shown, and when shown again. Its buttons and menus
// carry out the Images commands on the images selected in the front mode.

#include "inspectors/base/ZEVInspectPanels.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/images/ZEVBackClass.h"

#include <QColor>

namespace tallomer {

class ZEVBackViewer final : public ZEVInspectViewer {
public:
    // The delay from the engine's first notice to the panel's refresh.
    static constexpr double kRebuildDelay = 0.03;

    ZEVBackViewer(ZEVSpaceController& space, KELId entityInt);
    ~ZEVBackViewer() override;

    ZEVInspectClass* inspectClass() override { return &model_; }
    ZEVBackClass& backClass() { return model_; }
    // The panel's table, once the panel is built; nullptr before.
    ZEVBackTableView* backTableView() const;
    std::optional<ZEVInspectNouns> noms() const override { return ZEVBackClass::nouns(); }
    void buttonInspectCancel() override { fermerParLaBarre(); }
    void channelDidChangeWithIdentityInt(KELId identityInt) override;
    void itemSelectionDidChange() override;
    void frontModeDidChange() override;
    void actifCurseurDidChange() override;
    void showInspectView(bool show) override;
    void majInspectView() override;

    // ---- the user's commands on the images the front mode selects in the panel ----
    void userOpen() override;
    // Deletes the images (their backgrounds rewritten after the user said Yes).
    void userDelete() override;

    // The engine changed the rows.
    void moteurChangeBack() { moteurChangeRows(kRebuildDelay); }
    // The image of the row (-1: none) is the one the preview shows, on its colour.
    void displayImageFromRow(int row);
    // The shown image's colour changed at the active cursor.
    void userChangeFillColor(const QColor& color);
    int previewRow() const { return previewRow_; }
    const QColor& previewColor() const { return previewColor_; }

protected:
    std::unique_ptr<ZEVInspectView> creerInspectView() override { return std::make_unique<ZEVBackView>(*this); }
    void awakeFromNib() override;
    void appliquer(Commande commande, const std::vector<KELI*>& items) override;
    bool siItemActif(KELI* item) override { return model_.isItemActif(item); }
    bool siItemActifNow(KELI* item) override { return model_.isItemActifNow(item); }
    std::optional<std::string> typeForItem(KELI* item) override { return model_.itemTypeForItem(item); }
    std::optional<std::string> titleForItem(KELI* item) override { return model_.itemTitleForItem(item); }
    quint64 nombreDeRows() override { return model_.actifItems().size(); }
    bool siTrouves() override { return !model_.foundedItemSet().empty(); }

private:
    ZEVBackClass model_;
    int previewRow_ = -1;
    QColor previewColor_{Qt::darkGray};
};

} // namespace tallomer
