#pragma once
// One of the nine preset buttons of the ruler bar; its tag (the "tag" property) is the stamp of
// its preset. The button holds no logic: presses, releases, drags out of it, right clicks,
// pointing and drags passing over it go to the bar. The images of the presets' kinds and the
// thirteen frames of a held press are drawn here.

#include "engine/KELTypes.h"
#include "widgets/ZEVButton.h"

#include <QIcon>

namespace tallomer {

class ZEVRulerViewbar;

class ZEVRulerPresetButton final : public ZEVButton {
    Q_OBJECT
public:
    // `bar` is not owned; it is the button's ancestor and outlives it.
    ZEVRulerPresetButton(KELId tag, ZEVRulerViewbar& bar, QWidget* parent);

    KELId tag() const { return tag_; }
    // The button's image by its resource name ("now.tiff", "preset_07.pdf", ...).
    void setImageNamed(const QString& name);
    const QString& imageName() const { return imageName_; }
    static QIcon imageNamed(const QString& name);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;

private:
    KELId tag_;
    ZEVRulerViewbar& bar_; // not owned
    QString imageName_;
};

} // namespace tallomer
