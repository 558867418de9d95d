#pragma once
// What the main menu sends its commands to and reads its state from.
//
// Every command of the menu goes to one receiver (the front layer, the Channels inspector, the
// time ruler and its bar, the inspector toggle bar, the Space window, the space controller, or
// the application itself). A receiver says which commands it carries out: a receiver that is not
// built yet, or that does not carry a command out, answers no, and the item is disabled rather
// than enabled and idle. The Space window's hub (KELSpaceMenuHub) answers in the program; tests
// answer with recording receivers.

#include "desk/model/ZEVItemOptions.h"
#include "engine/KELTypes.h"

#include <QIcon>
#include <QString>

#include <string_view>
#include <vector>

class KELI;
class KELICurseur;
class QAction;
class QMenu;

namespace tallomer {

class ZEVMenuPreviewTarget;

enum class KELMenuReceiverKind { Front, Channel, RulerViewer, RulerBar, Context, Window, Space, Application };

// What a forwarded command carries.
struct KELMenuArgument {
    enum class Kind {
        None,        // a command without argument
        Application, // the application object itself
        Nil,         // nothing
        Sender,      // the menu item
        Value,       // an id or a tag
        Curseur,     // the cursor a zoom acts on
        Items,       // Objects, with a flag (copyZevpUrlForItems: siSpace)
    };
    Kind kind = Kind::None;
    QAction* sender = nullptr;
    qint64 value = 0;
    KELICurseur* curseur = nullptr;
    std::vector<KELI*> items;
    bool flag = false;
};

class KELMenuReceiver {
public:
    virtual ~KELMenuReceiver() = default;
    // By the command's own name ("userCopy", "menuNowCurseur", "userZoomThisDayWithCurseur").
    virtual bool handlesCommand(std::string_view command) = 0;
    virtual void performCommand(std::string_view command, const KELMenuArgument& argument) = 0;
};

// The inspector toggle bar, which also says which inspectors show and which has the focus.
class KELMenuContextReceiver : public KELMenuReceiver {
public:
    virtual bool isShowedEntityWithInt(KELId entityInt) = 0;
    virtual bool isFocusedEntityWithInt(KELId entityInt) = 0;
};

class KELMenuHub {
public:
    virtual ~KELMenuHub() = default;

    // nullptr while that receiver is not built. Not owned.
    virtual KELMenuReceiver* receiver(KELMenuReceiverKind kind) = 0;
    virtual KELMenuContextReceiver* contextViewer() = 0;
    // The Spaces, Channels and History previews.
    virtual ZEVMenuPreviewTarget& previewTarget() = 0;

    // ---- what the commands pick ----
    virtual KELICurseur* actifCurseur() = 0;
    virtual KELICurseur* nowCurseur() = 0;
    virtual KELICurseur* searchCurseur() = 0;
    virtual KELICurseur* tlCurseur() = 0;
    // 0 icons, 1 titles, 2 filters, 3 links, 4 none.
    virtual int frontMode() = 0;
    virtual QString nameForFrontMode(int mode) = 0;
    virtual KELId homeChannelInt() = 0;
    // The Channel the drop folder is bound to.
    virtual KELId zevFolderChannelInt() = 0;
    virtual std::vector<KELI*> selectedItemsForCurrentChannel() = 0;
    // The selection of a front mode (for links: every Object of the selected nodes).
    virtual std::vector<KELI*> selectionForFrontMode(int mode) = 0;

    // ---- the menus' state ----
    // The option bits of the Objects whose views the active desk shows for the front mode.
    virtual std::vector<ZEVItemOption> visibleItemOptions() = 0;
    virtual bool isTitleEditing() = 0;
    virtual bool siNowItemExiste() = 0;
    // A selection of the front mode on the Now desk or, failing that, the Search desk.
    virtual bool siSelectionExiste() = 0;
    virtual QString nowBackImageName() = 0;
    // The picture of the Now desk's background for the current Channel; null for none.
    virtual QIcon nowBackThumbnail() = 0;
    virtual bool siRulerButton() = 0;
    virtual bool siShowCalandar() = 0;
    // The go-to panel shows.
    virtual bool siShowGoTo() = 0;
    virtual bool siTimebarClosed() = 0;
    virtual bool siTlineClosed() = 0;
    virtual bool siTracksClosed() = 0;
    virtual bool siToolbarClosed() = 0;
    virtual bool siFullScreen() = 0;
    virtual bool siFullWindow() = 0;
    virtual bool siFrontSpace() = 0;
    virtual bool siShowDesktop() = 0;
    // Presets 2000009 to 2000017: stored, its name, the image of its kind, and its state for the
    // active cursor (or the ruler while the ruler button is set): 1 on, -1 mixed, 0 off.
    virtual bool siPresetWithStampInt(KELId stamp) = 0;
    virtual QString presetNameWithStampInt(KELId stamp) = 0;
    virtual QIcon presetImageWithStampInt(KELId stamp) = 0;
    virtual int presetStateWithStampInt(KELId stamp) = 0;
    // Fills the Open With submenu for the Objects the Object menu acts on; each item carries the
    // application it opens.
    virtual void fillOpenWith(QMenu* menu) = 0;
    // The Edit menu's Recall, Retain, Release and Forget items take the images of the active
    // cursor (the front layer colours them).
    virtual void majImageForEditionMenu(QMenu* menu) = 0;
    // The Object menu opens: the focused inspector, else the front layer, sets its items.
    virtual void updateMenuObject(QMenu* menu) = 0;
    // The focused inspector retitles the Edit menu's Recall, Retain, Release and Forget for its
    // Objects; false when no inspector has the focus (the menu keeps the desk's titles).
    virtual bool updateMenuEdit(QMenu* menu) = 0;
    // A menu opens: the front layer sets the items its mode and the focused inspector decide.
    virtual void updateMenuMacForCurrentMode() = 0;
};

} // namespace tallomer
