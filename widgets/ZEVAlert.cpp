#include "widgets/ZEVAlert.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <utility>
#include <vector>

namespace tallomer {

namespace {
ZEVAlert::Answerer& answerer()
{
    static ZEVAlert::Answerer a;
    return a;
}
constexpr const char* kStepsAside = "tallomerStepsAsideForAlerts";

// Hides the program's floating windows for its lifetime; those still wanted come back after.
class StepAside {
public:
    StepAside()
    {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
            return;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->property(kStepsAside).toBool()) {
                w->hide();
                hidden_.emplace_back(w);
            }
    }
    ~StepAside()
    {
        for (const QPointer<QWidget>& w : hidden_)
            if (w && w->isHidden() && w->property(kStepsAside).toBool())
                w->show();
    }
    StepAside(const StepAside&) = delete;
    StepAside& operator=(const StepAside&) = delete;

private:
    std::vector<QPointer<QWidget>> hidden_;
};

} // namespace

ZEVAlert::Answerer ZEVAlert::setAnswerer(Answerer a) { return std::exchange(answerer(), std::move(a)); }

void ZEVAlert::setStepsAside(QWidget* window, bool steps)
{
    if (window)
        window->setProperty(kStepsAside, steps);
}

int ZEVAlert::run(const ZEVAlertRequest& request)
{
    const StepAside aside;
    if (answerer())
        return answerer()(request);

    QMessageBox box;
    // Over every window, ours and the others': an alert nobody sees waits for ever.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
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
    box.show();
    box.raise();
    box.activateWindow();
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
