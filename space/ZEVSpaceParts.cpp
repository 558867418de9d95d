#include "space/ZEVSpaceParts.h"

#include "platform/UserDefaults.h"

#include <QGuiApplication>
#include <QScreen>

namespace tallomer {

UserDefaultsController& ZEVSpaceHost::defaults()
{
    return UserDefaultsController::shared();
}

QRectF ZEVSpaceHost::mainScreenFrame()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    // Screen rectangles are y-down; the frames of the Space are measured from the bottom, and
    // only the size matters for the main screen.
    return screen ? QRectF(QPointF(0, 0), QSizeF(screen->geometry().size())) : QRectF(0, 0, 1920, 1200);
}

void ZEVSpaceHost::userQuit()
{
    QCoreApplication::quit();
}

std::map<std::string, ZEVEntityViewerClasses::Maker>& ZEVEntityViewerClasses::registre()
{
    static std::map<std::string, Maker> makers;
    return makers;
}

void ZEVEntityViewerClasses::ajouter(const std::string& className, Maker maker)
{
    registre()[className] = std::move(maker);
}

bool ZEVEntityViewerClasses::connait(const std::string& className)
{
    return registre().count(className) != 0;
}

std::unique_ptr<ZEVEntityViewer> ZEVEntityViewerClasses::creer(const std::string& className, ZEVSpaceController& space,
                                                               KELId entityInt)
{
    auto it = registre().find(className);
    if (it == registre().end() || !it->second)
        return nullptr;
    return it->second(space, entityInt);
}

void ZEVEntityViewerClasses::reset()
{
    registre().clear();
}

} // namespace tallomer
