#pragma once
// The Files inspector's controller: its model lists the file Objects of the current Channel at
// the active cursor; its panel shows them, rebuilt once shortly after the engine's first notice
// while shown, and when shown again.

#include "inspectors/base/ZEVInspectPanels.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/files/ZEVFileClass.h"

#include <QGuiApplication>

#include <memory>

namespace tallomer {

class ZEVFileViewer final : public ZEVInspectViewer {
public:
    // The delay from the engine's first notice to the panel's rebuild.
    static constexpr double kRebuildDelay = 0.07;

    ZEVFileViewer(ZEVSpaceController& space, KELId entityInt);
    ~ZEVFileViewer() override;

    ZEVInspectClass* inspectClass() override { return &model_; }
    ZEVFileClass& fileClass() { return model_; }
    void buttonInspectCancel() override { fermerParLaBarre(); }
    void channelDidChangeWithIdentityInt(KELId identityInt) override;
    void itemSelectionDidChange() override;
    void frontModeDidChange() override;
    void showInspectView(bool show) override;
    // A long press on Find shows type-select.
    void btnInspectFind() override;
    // The finds by holder take their operation from the modifiers held.
    void menuFindZevHeld() override
    {
        model_.findHeldWithModifiers(ZEVFileClass::HeldByZev, QGuiApplication::keyboardModifiers());
    }
    void menuFindMacHeld() override
    {
        model_.findHeldWithModifiers(ZEVFileClass::HeldBySystem, QGuiApplication::keyboardModifiers());
    }
    void menuFindExtHeld() override
    {
        model_.findHeldWithModifiers(ZEVFileClass::HeldExternally, QGuiApplication::keyboardModifiers());
    }
    // The Object menu's Remove with the panel focused: the mode's listed Objects, without asking.
    void userDelete() override;
    // Release with the panel focused (the Delete key, the Edit menu): the mode's listed Objects
    // leave the panel at the active cursor.
    void userRelease() override;

    // The engine changed the rows.
    void moteurChangeFile();
    // The action buttons come with the Files commands; nothing to refresh until then.
    void majActionButtons() {}

protected:
    std::unique_ptr<ZEVInspectView> creerInspectView() override { return std::make_unique<ZEVFileView>(*this); }
    void awakeFromNib() override;

private:
    void rebuild();

    ZEVFileClass model_;
    bool siRebuildPrevu_ = false;
};

} // namespace tallomer
