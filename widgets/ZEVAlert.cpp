#include "widgets/ZEVAlert.h"

#include <QMessageBox>
#include <QPushButton>

#include <utility>

namespace tallomer {

namespace {
ZEVAlert::Answerer& answerer()
{
    static ZEVAlert::Answerer a;
    return a;
}
} // namespace

ZEVAlert::Answerer ZEVAlert::setAnswerer(Answerer a) { return std::exchange(answerer(), std::move(a)); }

int ZEVAlert::run(const ZEVAlertRequest& request)
{
    if (answerer())
        return answerer()(request);

    QMessageBox box;
    box.setIcon(request.buttons.size() > 1 ? QMessageBox::Question : QMessageBox::Warning);
    box.setWindowTitle(request.windowTitle.isEmpty() ? QStringLiteral("Tallomer") : request.windowTitle);
    box.setText(request.message);
    box.setInformativeText(request.informative);
    QList<QAbstractButton*> buttons;
    for (int i = 0; i < request.buttons.size(); ++i) {
        // The last of several buttons backs out; a lone button accepts.
        const auto role = (i > 0 && i == request.buttons.size() - 1) ? QMessageBox::RejectRole
                                                                      : QMessageBox::AcceptRole;
        buttons << box.addButton(request.buttons.at(i), role);
    }
    if (!buttons.isEmpty()) {
        box.setDefaultButton(qobject_cast<QPushButton*>(buttons.first()));
        box.setEscapeButton(buttons.last());
    }
    box.exec();
    const int index = static_cast<int>(buttons.indexOf(box.clickedButton()));
    // Closing the window by other means counts as the escape button.
    return index < 0 ? static_cast<int>(buttons.size()) - 1 : index;
}

void ZEVAlert::ShowSimpleAlertWithMessage(const QString& message, const QString& informative)
{
    run({QString(), message, informative, {QStringLiteral("OK")}});
}

bool ZEVAlert::ShowYesNoAlertWithTitle(const QString& title, const QString& message,
                                       const QString& informative)
{
    return run({title, message, informative, {QStringLiteral("Yes"), QStringLiteral("Cancel")}}) == 0;
}

} // namespace tallomer
