#include "app/FirstWindow.h"
#include "platform/QtScheduler.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    tallomer::setUpApplicationIdentity();
    // Declared after the application (its timer needs the event loop) and before every window
    // (targets cancel their performs on it when they die).
    tallomer::QtScheduler scheduler;
    tallomer::Scheduler::setShared(&scheduler);
    tallomer::FirstWindow window;
    window.show();
    return app.exec();
}
