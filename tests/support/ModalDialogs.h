#pragma once
// Dialogs that run modally inside the command that opened them (a menu choice, a click) are
// answered from the event loop of their own modal run: once a modal widget of the class is up,
// it is handed to the test's action.

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace tallomer::test {

// Polled every 5 ms from the event loop until a modal widget of class Dialog is up; the watch
// ends with `owner` (the window of the test's Space) when no such dialog came.
template <class Dialog, class Act>
void whenModalRuns(QObject* owner, Act act)
{
    auto* timer = new QTimer(owner);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act]() mutable {
        if (auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(d);
        }
    });
    timer->start();
}

// A Qt file dialog answered as a user does: the file's name typed, then Return. False when the
// dialog has no name field.
inline bool typeIntoFileDialog(QFileDialog* dialog, const QString& name)
{
    auto* typed = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
    if (!typed)
        return false;
    typed->setFocus();
    QTest::keyClicks(typed, name);
    QTest::keyClick(typed, Qt::Key_Return);
    return true;
}

} // namespace tallomer::test
