#pragma once

#include <QPixmap>
#include <QWidget>

// The window's inner area: its background picture drawn unscaled from the
// top-left corner, behind all controls.
class FormClientArea : public QWidget {
    Q_OBJECT
public:
    explicit FormClientArea(QWidget* parent = nullptr);
    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};
