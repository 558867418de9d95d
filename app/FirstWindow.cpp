#include "app/FirstWindow.h"

#include "app/KELApplication.h"
#include "app/KELApplicationDelegate.h"
#include "platform/AppId.h"

#include <QApplication>
#include <QGuiApplication>
#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>

namespace tallomer {

void setUpApplicationIdentity()
{
    QCoreApplication::setApplicationName(QString::fromLatin1(kAppName));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kAppId));
}

FirstWindow::FirstWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QString::fromLatin1(kAppName));
    setObjectName(QStringLiteral("FirstWindow"));
    auto* label = new QLabel(QString::fromLatin1(kAppName), this); // owned by the window
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    if (font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() * 2.0);
        label->setFont(font);
    }
    setCentralWidget(label);

    QMenu* menu = menuBar()->addMenu(QString::fromLatin1(kAppName));
    QAction* preferences = menu->addAction(QStringLiteral("Preferences\u2026"));
    preferences->setShortcut(QKeySequence::Preferences);
    preferences->setMenuRole(QAction::PreferencesRole);
    connect(preferences, &QAction::triggered, this, [] {
        if (KELApplication* app = KELApplication::shared())
            if (KELApplicationDelegate* delegate = app->delegate())
                delegate->showPreferences();
    });
    menu->addSeparator();
    QAction* quit = menu->addAction(QStringLiteral("Quit %1").arg(QString::fromLatin1(kAppName)));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, this, [this] {
        if (KELApplication* app = KELApplication::shared())
            app->terminate(this);
        else
            close();
    });
    resize(960, 600);
}

} // namespace tallomer
