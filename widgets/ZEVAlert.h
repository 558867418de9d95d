#pragma once
// The two modal alerts every part of the program uses to speak to the user.
//
// Tests (and any caller that must not block on a human) install an answerer; while one is
// installed no dialog is shown and the answerer picks the button instead.

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace tallomer {

struct ZEVAlertRequest {
    QString windowTitle; // empty for the simple alert
    QString message;
    QString informative;
    QStringList buttons; // in order; index 0 is the default button
};

class ZEVAlert {
public:
    // Returns the index of the button that ended the alert.
    using Answerer = std::function<int(const ZEVAlertRequest&)>;

    // A modal alert with one button, "OK".
    static void ShowSimpleAlertWithMessage(const QString& message, const QString& informative);
    // A modal alert titled `title` with "Yes" then "Cancel"; true when "Yes" ended it.
    static bool ShowYesNoAlertWithTitle(const QString& title, const QString& message,
                                        const QString& informative);

    // A modal alert with these buttons (the first is the default, the last backs out); returns
    // the index of the one that ended it.
    static int ShowAlert(const QString& message, const QString& informative, const QStringList& buttons)
    {
        return run({QString(), message, informative, buttons});
    }

    // The same with a window title of its own.
    static int ShowAlertWithTitle(const QString& title, const QString& message, const QString& informative,
                                  const QStringList& buttons)
    {
        return run({title, message, informative, buttons});
    }

    // Replaces the dialog by `answerer` (empty restores the dialog). Returns the previous one.
    static Answerer setAnswerer(Answerer answerer);

    // A window of the program's own that floats over the others (a progress panel) steps aside
    // while an alert shows, so that nothing of ours covers the alert: it is hidden for the
    // alert's time and shown again after, unless it was let go meanwhile. `steps` false lets it
    // go (its owner closed it).
    static void setStepsAside(QWidget* window, bool steps);

private:
    static int run(const ZEVAlertRequest& request);
};

// Installs an answerer for its lifetime.
class ScopedAlertAnswerer {
public:
    explicit ScopedAlertAnswerer(ZEVAlert::Answerer a) : previous_(ZEVAlert::setAnswerer(std::move(a))) {}
    ~ScopedAlertAnswerer() { ZEVAlert::setAnswerer(std::move(previous_)); }
    ScopedAlertAnswerer(const ScopedAlertAnswerer&) = delete;
    ScopedAlertAnswerer& operator=(const ScopedAlertAnswerer&) = delete;

private:
    ZEVAlert::Answerer previous_;
};

} // namespace tallomer
