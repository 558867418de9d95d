#pragma once
// The colour swatch behind a background preview in the Channel panels: the colour the background
// shows where the picture leaves room. A click on it (the modify panel asks for a new picture
// then) is announced; the add panels ignore it.

#include <QColor>
#include <QWidget>

namespace tallomer {

class ZEVChannelColorView final : public QWidget {
    Q_OBJECT
public:
    explicit ZEVChannelColorView(QWidget* parent = nullptr);

    void setBackgroundColor(const QColor& color);
    const QColor& backgroundColor() const { return backgroundColor_; }
    // The colour panel's colour is not taken from the swatch.
    void takeColorFrom(QObject*) {}

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor backgroundColor_{Qt::black};
};

} // namespace tallomer
