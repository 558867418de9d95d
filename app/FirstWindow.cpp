#include "app/FirstWindow.h"

#include "platform/AppId.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>

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
    resize(960, 600);
}

} // namespace tallomer
