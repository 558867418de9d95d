#pragma once
// The application's identity and its first window, kept out of main() so that tests can start
// the application the way main() does.

#include <QMainWindow>

class QApplication;

namespace tallomer {

// Names the application for the desktop: application name "Tallomer" and the desktop file of the
// application id. No organisation name is set, so that the application's data folder is
// $XDG_DATA_HOME/Tallomer rather than a nested one.
void setUpApplicationIdentity();

// The program's main window until the Space window exists: its menu opens the Preferences and
// quits through the application object, so quitting runs the whole quit sequence.
class FirstWindow final : public QMainWindow {
    Q_OBJECT
public:
    explicit FirstWindow(QWidget* parent = nullptr);
};

} // namespace tallomer
