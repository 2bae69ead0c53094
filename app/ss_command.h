#pragma once

#include <QAbstractButton>
#include <QPixmap>

// The 3D command button: a bevelled face, a caption whose ampersand marks an
// access key (Alt+letter clicks it wherever it lies in the window), its own
// text colour and font, an optional picture drawn across the face, a place
// in the tab order, and a Click (the clicked signal).
class SSCommand : public QAbstractButton {
    Q_OBJECT
public:
    explicit SSCommand(QWidget* parent = nullptr);

    void setForeColor(const QColor& color);
    QColor foreColor() const { return foreColor_; }

    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return picture_; }

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QColor foreColor_;
    QPixmap picture_;
};
