#pragma once

#include <QWidget>

// The 3D panel: a container with a bevelled border, its own background and
// text colours and font. Children are placed relative to its inner area.
class SSPanel : public QWidget {
    Q_OBJECT
public:
    explicit SSPanel(QWidget* parent = nullptr);

    void setBackColor(const QColor& color);
    void setForeColor(const QColor& color);

    // The inner area, origin of the children's positions, lies inside the
    // bevel.
    static constexpr int kBevelWidth = 2;
    QPoint innerOrigin() const { return contentsRect().topLeft(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};
