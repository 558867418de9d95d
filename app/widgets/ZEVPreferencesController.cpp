#include "app/widgets/ZEVPreferencesController.h"

#include "widgets/ZEVWindowPlacement.h"

#include <QCheckBox>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWidget>

namespace tallomer {

const std::vector<ZEVPreferencesController::Option>& ZEVPreferencesController::options()
{
    static const std::vector<Option> kOptions = {
        {"showAnimation", "ZEVShowObjectAnimation", true, "Animate Objects"},
        {"hideTitle", "ZEVHideObjectTitle", false, "Hide Object titles"},
        {"keepTimebar", "ZEVShowZevMenu", false, "Keep the time bar open"},
        {"keepTimeline", "ZEVShowRuler", true, "Keep the timeline open"},
        {"keepTracks", "ZEVShowTracks", true, "Keep the tracks open"},
        {"keepToolbar", "ZEVShowToolbar", true, "Keep the tool bar open"},
        // Checked, the timeline opens for the Search cursor: the key that keeps it closed is off.
        {"showRulerWhenSearch", "ZEVHideRulerWhenSearch", true, "Show the timeline while searching", true},
        {"showApps", "ZEVStepBackShowApps", false, "Show other applications on step back"},
    };
    return kOptions;
}

ZEVPreferencesController::ZEVPreferencesController(ValueReader read, ValueWriter write, ValueWatcher watch,
                                                   QObject* parent)
    : QObject(parent), read_(std::move(read)), write_(std::move(write)), watch_(std::move(watch))
{
}

ZEVPreferencesController::~ZEVPreferencesController()
{
    for (const auto& unwatch : unwatch_)
        if (unwatch)
            unwatch();
    delete window_.data();
}

QWidget* ZEVPreferencesController::window()
{
    if (window_)
        return window_;
    auto* w = new QWidget(nullptr, Qt::Window);
    w->setWindowTitle(QStringLiteral("Preferences"));
    auto* layout = new QVBoxLayout(w);
    for (const Option& o : options()) {
        auto* box = new QCheckBox(QString::fromUtf8(o.label), w);
        box->setObjectName(QString::fromLatin1(o.outlet));
        layout->addWidget(box);
        boxes_.push_back(box);
    }
    window_ = w;
    windowDidLoad();
    // Connected after the initial states are set, so loading writes nothing back.
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        const QString key = QString::fromLatin1(options()[i].key);
        const bool inverted = options()[i].inverted;
        connect(boxes_[i], &QCheckBox::toggled, this, [this, key, inverted](bool on) {
            if (write_)
                write_(key, on != inverted);
        });
        // A box that kept its old state while the option changed elsewhere would show a lie, and
        // its next toggle would write that old state back.
        if (watch_)
            unwatch_.push_back(watch_(key, [this, i] { showValue(i); }));
    }
    return window_;
}

void ZEVPreferencesController::showWindow()
{
    if (!window()->isVisible())
        placement::placeBeside(window_);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

QCheckBox* ZEVPreferencesController::checkBox(const QString& outlet) const
{
    for (std::size_t i = 0; i < boxes_.size(); ++i)
        if (outlet == QLatin1String(options()[i].outlet))
            return boxes_[i];
    return nullptr;
}

void ZEVPreferencesController::windowDidLoad()
{
    for (std::size_t i = 0; i < boxes_.size(); ++i)
        showValue(i);
}

void ZEVPreferencesController::showValue(std::size_t i)
{
    if (i >= boxes_.size() || !boxes_[i])
        return;
    const Option& o = options()[i];
    const QVariant v = read_ ? read_(QString::fromLatin1(o.key)) : QVariant();
    const QSignalBlocker quiet(boxes_[i]);
    boxes_[i]->setChecked(v.isValid() && !v.isNull() ? v.toBool() != o.inverted : o.fallback);
}

} // namespace tallomer
